// Tasks switched round-robin on the timer interrupt. The system creates none,
// so the scheduler hands back the interrupted context.
#pragma once
#include <stdint.h>

#include "core/cpu_state.h"
#include "core/gdt.h"

namespace korvan {

class Task {
  friend class TaskManager;

 public:
  static constexpr uint32_t kStackSize = 4096;
  Task(GlobalDescriptorTable* gdt, void (*entrypoint)());
  CPUState* State() const { return cpustate; }

 private:
  uint8_t stack[kStackSize];
  CPUState* cpustate;
};

class TaskManager {
 public:
  static constexpr int kMaxTasks = 256;
  TaskManager();
  bool AddTask(Task* task);
  // The frame to resume after a timer interrupt that interrupted cpustate.
  CPUState* Schedule(CPUState* cpustate);

 private:
  Task* tasks[kMaxTasks];
  int numTasks;
  int currentTask;
};

}  // namespace korvan
