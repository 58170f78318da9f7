// The assembly entry stubs, one per installed vector; each reaches
// InterruptManager::HandleInterrupt through the common path.
#pragma once
#include <stdint.h>

extern "C" {
// Carries the vector from an entry stub to the common path.
extern uint8_t interruptnumber;

void IgnoreInterruptRequest();
void HandleException0x00();
void HandleException0x01();
void HandleException0x02();
void HandleException0x03();
void HandleException0x04();
void HandleException0x05();
void HandleException0x06();
void HandleException0x07();
void HandleException0x08();
void HandleException0x09();
void HandleException0x0A();
void HandleException0x0B();
void HandleException0x0C();
void HandleException0x0D();
void HandleException0x0E();
void HandleException0x0F();
void HandleException0x10();
void HandleException0x11();
void HandleException0x12();
void HandleException0x13();
void HandleInterruptRequest0x00();
void HandleInterruptRequest0x01();
void HandleInterruptRequest0x02();
void HandleInterruptRequest0x03();
void HandleInterruptRequest0x04();
void HandleInterruptRequest0x05();
void HandleInterruptRequest0x06();
void HandleInterruptRequest0x07();
void HandleInterruptRequest0x08();
void HandleInterruptRequest0x09();
void HandleInterruptRequest0x0A();
void HandleInterruptRequest0x0B();
void HandleInterruptRequest0x0C();
void HandleInterruptRequest0x0D();
void HandleInterruptRequest0x0E();
void HandleInterruptRequest0x0F();
void HandleInterruptRequest0x31();
void HandleInterruptRequest0x80();
}
