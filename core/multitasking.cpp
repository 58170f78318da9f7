// Round-robin tasks on the timer interrupt.
#include "core/multitasking.h"

namespace korvan {

static constexpr uint32_t kInterruptsEnabled = 0x202;

Task::Task(GlobalDescriptorTable* gdt, void (*entrypoint)()) : stack{} {
  cpustate = reinterpret_cast<CPUState*>(stack + kStackSize - sizeof(CPUState));
  *cpustate = CPUState{};
  cpustate->eip = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(entrypoint));
  cpustate->cs = gdt->CodeSegmentSelector();
  cpustate->eflags = kInterruptsEnabled;
}

TaskManager::TaskManager() : tasks{}, numTasks(0), currentTask(-1) {}

bool TaskManager::AddTask(Task* task) {
  if (numTasks >= kMaxTasks) return false;
  tasks[numTasks++] = task;
  return true;
}

CPUState* TaskManager::Schedule(CPUState* cpustate) {
  if (numTasks <= 0) return cpustate;
  if (currentTask >= 0) tasks[currentTask]->cpustate = cpustate;
  if (++currentTask >= numTasks) currentTask %= numTasks;
  return tasks[currentTask]->cpustate;
}

}  // namespace korvan
