// Segment descriptors, the interrupt gates, the 8259 set-up, dispatch with its
// end-of-interrupt rule, system calls and the scheduler.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstring>

#include <string>
#include <vector>

#include "core/gdt.h"
#include "core/interrupts.h"
#include "core/multitasking.h"
#include "core/syscalls.h"
#include "hosted/console_capture.h"
#include "hosted/hosted_cpu.h"
#include "hosted/port_bus.h"

namespace {

using namespace korvan;
using hardwarecommunication::InterruptHandler;
using hardwarecommunication::InterruptManager;

TEST(SegmentDescriptor, SmallLimitsAreBytesLargeOnesArePages) {
  GlobalDescriptorTable::SegmentDescriptor bytes(0x12345678, 65536, 0x92);
  EXPECT_EQ(bytes.Base(), 0x12345678u);
  EXPECT_EQ(bytes.Limit(), 65536u & 0xFFFFF);  // 20 bits hold it as 0x10000
  EXPECT_EQ(bytes.Flags(), 0x4);
  EXPECT_EQ(bytes.Access(), 0x92);

  GlobalDescriptorTable::SegmentDescriptor whole(0, 0xFFFFFFFF, 0x9A);
  EXPECT_EQ(whole.Flags(), 0xC);
  EXPECT_EQ(whole.Limit(), 0xFFFFFFFFu);

  // A limit that stops short of a page end loses the partial page.
  GlobalDescriptorTable::SegmentDescriptor partial(0, 0xFFFFF000, 0x92);
  EXPECT_EQ(partial.Limit(), ((0xFFFFFu - 1) << 12) | 0xFFF);

  GlobalDescriptorTable::SegmentDescriptor just_above(0, 65537, 0x92);
  EXPECT_EQ(just_above.Flags(), 0xC);
  // (65537 >> 12) - 1 = 15: sixteen whole pages, the partial seventeenth is lost.
  EXPECT_EQ(just_above.Limit(), 0xFFFFu);
}

TEST(SegmentDescriptor, ExactBytesOfTheFlatCodeSegment) {
  GlobalDescriptorTable::SegmentDescriptor code(0, 0xFFFFFFFF, 0x9A);
  const uint8_t* raw = reinterpret_cast<const uint8_t*>(&code);
  std::vector<uint8_t> bytes(raw, raw + 8);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0xFF, 0xFF, 0x00, 0x00, 0x00, 0x9A, 0xCF, 0x00}));
}

TEST(GlobalDescriptorTable, LoadsItselfAndReloadsTheSegments) {
  hosted::reset_hosted_cpu();
  GlobalDescriptorTable gdt;
  const hosted::HostedCpu& cpu = hosted::hosted_cpu();
  EXPECT_EQ(gdt.CodeSegmentSelector(), 0x10);
  EXPECT_EQ(gdt.DataSegmentSelector(), 0x18);
  EXPECT_EQ(cpu.gdt_loads, 1u);
  EXPECT_EQ(cpu.gdt_record[0] | cpu.gdt_record[1] << 8, 32);
  EXPECT_EQ(cpu.code_selector, 0x10);
  EXPECT_EQ(cpu.data_selector, 0x18);
  EXPECT_EQ(gdt.Descriptor(0).Limit(), 0u);
  EXPECT_EQ(gdt.Descriptor(1).Access(), 0);
  EXPECT_EQ(gdt.Descriptor(3).Access(), 0x92);
}

class Interrupts : public ::testing::Test {
 protected:
  void SetUp() override {
    hosted::reset_ports();
    hosted::reset_hosted_cpu();
    gdt = new GlobalDescriptorTable;
    manager = new InterruptManager(0x20, gdt, &tasks);
  }
  void TearDown() override {
    delete manager;
    delete gdt;
    hosted::reset_ports();
  }
  // The values written to the controller's ports, in order.
  std::vector<std::pair<uint16_t, uint8_t>> pic_writes() {
    unsigned count;
    const hosted::PortAccess* log = hosted::port_log(&count);
    std::vector<std::pair<uint16_t, uint8_t>> writes;
    for (unsigned i = 0; i < count; i++)
      if (log[i].is_write && (log[i].port == 0x20 || log[i].port == 0x21 || log[i].port == 0xA0 ||
                              log[i].port == 0xA1))
        writes.push_back({log[i].port, static_cast<uint8_t>(log[i].value)});
    return writes;
  }
  GlobalDescriptorTable* gdt = nullptr;
  TaskManager tasks;
  InterruptManager* manager = nullptr;
};

TEST_F(Interrupts, ControllersAreRemappedAndUnmaskedWithSlowWrites) {
  std::vector<std::pair<uint16_t, uint8_t>> expected = {
      {0x20, 0x11}, {0xA0, 0x11}, {0x21, 0x20}, {0xA1, 0x28}, {0x21, 0x04},
      {0xA1, 0x02}, {0x21, 0x01}, {0xA1, 0x01}, {0x21, 0x00}, {0xA1, 0x00}};
  EXPECT_EQ(pic_writes(), expected);
  unsigned count;
  const hosted::PortAccess* log = hosted::port_log(&count);
  for (unsigned i = 0; i < count; i++) EXPECT_TRUE(log[i].slow) << "write " << i;
  EXPECT_FALSE(hosted::hosted_cpu().interrupts_enabled) << "construction leaves interrupts off";
}

TEST_F(Interrupts, GatesAreInterruptGatesOnTheCodeSegment) {
  EXPECT_EQ(hosted::hosted_cpu().idt_loads, 1u);
  EXPECT_EQ(hosted::hosted_cpu().idt_record[0] | hosted::hosted_cpu().idt_record[1] << 8, 0x7FF);
  for (int vector : {0x00, 0x13, 0x14, 0x20, 0x2F, 0x80, 0xFF}) {
    const InterruptManager::GateDescriptor& gate = InterruptManager::interruptDescriptorTable[vector];
    EXPECT_EQ(gate.gdt_codeSegmentSelector, 0x10) << vector;
    EXPECT_EQ(gate.access, 0x8E) << vector;
  }
  // Exceptions, IRQs and the system call get their own entries; the rest share the ignore entry.
  auto address = [](int vector) {
    const InterruptManager::GateDescriptor& g = InterruptManager::interruptDescriptorTable[vector];
    return static_cast<uint32_t>(g.handlerAddressHighBits) << 16 | g.handlerAddressLowBits;
  };
  EXPECT_EQ(address(0x14), address(0xFF));
  EXPECT_EQ(address(0x30), address(0xFF));
  EXPECT_NE(address(0x13), address(0xFF));
  EXPECT_NE(address(0x2F), address(0xFF));
  EXPECT_NE(address(0x80), address(0xFF));
  EXPECT_NE(address(0x20), address(0x21));
}

TEST_F(Interrupts, ActivateAndDeactivateFollowTheActiveManager) {
  manager->Activate();
  EXPECT_EQ(InterruptManager::ActiveInterruptManager, manager);
  EXPECT_TRUE(hosted::hosted_cpu().interrupts_enabled);
  manager->Deactivate();
  EXPECT_EQ(InterruptManager::ActiveInterruptManager, nullptr);
  EXPECT_FALSE(hosted::hosted_cpu().interrupts_enabled);
  EXPECT_EQ(InterruptManager::HandleInterrupt(0x21, 1234), 1234u) << "no active manager";
}

struct CountingHandler : InterruptHandler {
  CountingHandler(InterruptManager* m, uint8_t vector, uint32_t answer = 0)
      : InterruptHandler(m, vector), answer(answer) {}
  uint32_t HandleInterrupt(uint32_t esp) override {
    calls++;
    return answer != 0 ? answer : esp;
  }
  int calls = 0;
  uint32_t answer;
};

TEST_F(Interrupts, SlaveLinesAcknowledgeBothControllersMasterFirst) {
  manager->Activate();
  hosted::clear_port_log();
  InterruptManager::HandleInterrupt(0x29, 100);
  std::vector<std::pair<uint16_t, uint8_t>> both = {{0x20, 0x20}, {0xA0, 0x20}};
  EXPECT_EQ(pic_writes(), both);
  hosted::clear_port_log();
  CountingHandler keyboard(manager, 0x21);
  InterruptManager::HandleInterrupt(0x21, 100);
  std::vector<std::pair<uint16_t, uint8_t>> master = {{0x20, 0x20}};
  EXPECT_EQ(pic_writes(), master);
  EXPECT_EQ(keyboard.calls, 1);
  hosted::clear_port_log();
  InterruptManager::HandleInterrupt(0x30, 100);
  InterruptManager::HandleInterrupt(0x1F + 0x20 + 1, 100);
  EXPECT_TRUE(pic_writes().empty()) << "vectors beyond the controllers get no acknowledgement";
  manager->Deactivate();
}

TEST_F(Interrupts, LaterHandlerReplacesEarlierAndLeavingClearsOnlyItsOwnSlot) {
  auto* first = new CountingHandler(manager, 0x24);
  {
    CountingHandler second(manager, 0x24);
    EXPECT_EQ(manager->Handler(0x24), &second);
    delete first;
    EXPECT_EQ(manager->Handler(0x24), &second) << "the replaced handler leaves the slot alone";
  }
  EXPECT_EQ(manager->Handler(0x24), nullptr);
}

TEST_F(Interrupts, RegisteredExceptionHandlerIsCalledInsteadOfStopping) {
  manager->Activate();
  CountingHandler divide(manager, 0x00);
  EXPECT_EQ(InterruptManager::HandleInterrupt(0x00, 555), 555u);
  EXPECT_EQ(divide.calls, 1);
  manager->Deactivate();
}

TEST_F(Interrupts, UnhandledExceptionStopsTheMachine) {
  manager->Activate();
  EXPECT_DEATH(InterruptManager::HandleInterrupt(0x0D, 0), "");
  manager->Deactivate();
}

TEST_F(Interrupts, SystemCallFourPrintsTheStringAtEbxAndOthersDoNothing) {
  SyscallHandler syscalls(manager, 0x80);
  EXPECT_EQ(manager->Handler(0xA0), &syscalls);
  // The frame holds 32-bit addresses, so frame and string live below 4 GiB.
  void* low = mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
  ASSERT_NE(low, MAP_FAILED);
  CPUState* frame = static_cast<CPUState*>(low);
  char* message = static_cast<char*>(low) + 256;
  strcpy(message, "hello from a task");
  uint32_t esp = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(frame));
  hosted::ConsoleCapture capture;
  for (uint32_t call : {1u, 4u}) {
    *frame = CPUState{};
    frame->eax = call;
    frame->ebx = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(message));
    CPUState before = *frame;
    manager->Activate();
    EXPECT_EQ(InterruptManager::HandleInterrupt(0xA0, esp), esp);
    manager->Deactivate();
    EXPECT_EQ(memcmp(&before, frame, sizeof before), 0) << "registers come back unchanged";
    EXPECT_EQ(std::string(capture.text()), call == 4 ? "hello from a task" : "");
  }
  munmap(low, 4096);
}

void task_entry() {}

TEST(TaskManager, WithoutTasksTheInterruptedFrameResumes) {
  TaskManager tasks;
  CPUState frame{};
  EXPECT_EQ(tasks.Schedule(&frame), &frame);
  EXPECT_EQ(tasks.Schedule(&frame), &frame);
}

TEST(TaskManager, TasksAreTakenInTurnAndKeepTheirFrames) {
  hosted::reset_hosted_cpu();
  GlobalDescriptorTable gdt;
  auto* a = new Task(&gdt, task_entry);
  auto* b = new Task(&gdt, task_entry);
  EXPECT_EQ(a->State()->eflags, 0x202u);
  EXPECT_EQ(a->State()->cs, 0x10u);
  TaskManager tasks;
  ASSERT_TRUE(tasks.AddTask(a));
  ASSERT_TRUE(tasks.AddTask(b));
  CPUState interrupted{};
  EXPECT_EQ(tasks.Schedule(&interrupted), a->State());
  CPUState a_later{};
  EXPECT_EQ(tasks.Schedule(&a_later), b->State());
  EXPECT_EQ(tasks.Schedule(b->State()), &a_later) << "the second switch resumes the first task's frame";
  delete a;
  delete b;
}

TEST(TaskManager, TableHoldsAtMost256Tasks) {
  hosted::reset_hosted_cpu();
  GlobalDescriptorTable gdt;
  Task* task = new Task(&gdt, task_entry);
  TaskManager tasks;
  for (int i = 0; i < 256; i++) ASSERT_TRUE(tasks.AddTask(task));
  EXPECT_FALSE(tasks.AddTask(task));
  delete task;
}

}  // namespace
