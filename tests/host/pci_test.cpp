// The PCI scan and the configuration-space helpers on a simulated bus.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/pci.h"
#include "hosted/console_capture.h"
#include "hosted/port_bus.h"
#include "hosted/simulated_pci.h"

namespace {

using korvan::hardwarecommunication::BaseAddressRegister;
using korvan::hardwarecommunication::InputOutput;
using korvan::hardwarecommunication::MemoryMapping;
using korvan::hardwarecommunication::PeripheralComponentInterconnectController;
using korvan::hosted::SimulatedPciBus;

class PciScan : public ::testing::Test {
 protected:
  void SetUp() override {
    korvan::hosted::reset_ports();
    bus = std::make_unique<SimulatedPciBus>();
  }
  void TearDown() override {
    bus.reset();
    korvan::hosted::reset_ports();
  }
  std::string scan() {
    korvan::hosted::ConsoleCapture capture;
    PeripheralComponentInterconnectController pci;
    pci.SelectDrivers(nullptr, nullptr);
    return capture.text();
  }
  std::unique_ptr<SimulatedPciBus> bus;
};

TEST_F(PciScan, QemuLikeMachineListsEveryFunctionWithTheDisplayMarked) {
  bus->add_function(0, 0, 0, 0x8086, 0x1237);
  bus->add_function(0, 1, 0, 0x8086, 0x7000, 0x06, 0x01, true);
  bus->add_function(0, 1, 1, 0x8086, 0x7010, 0x01, 0x01, true);
  bus->add_function(0, 1, 3, 0x8086, 0x7113, 0x06, 0x80, true);
  bus->add_function(0, 2, 0, 0x1234, 0x1111, 0x03, 0x00);
  bus->add_function(0, 3, 0, 0x8086, 0x100E, 0x02, 0x00);
  EXPECT_EQ(scan(),
            "PCI BUS 00, DEVICE 00, FUNCTION 00 = VENDOR 8086, DEVICE 1237\n"
            "PCI BUS 00, DEVICE 01, FUNCTION 00 = VENDOR 8086, DEVICE 7000\n"
            "PCI BUS 00, DEVICE 01, FUNCTION 01 = VENDOR 8086, DEVICE 7010\n"
            "PCI BUS 00, DEVICE 01, FUNCTION 03 = VENDOR 8086, DEVICE 7113\n"
            "VGA PCI BUS 00, DEVICE 02, FUNCTION 00 = VENDOR 1234, DEVICE 1111\n"
            "PCI BUS 00, DEVICE 03, FUNCTION 00 = VENDOR 8086, DEVICE 100E\n");
}

TEST_F(PciScan, SingleFunctionDeviceIsProbedAtFunctionZeroOnly) {
  bus->add_function(2, 5, 0, 0x10EC, 0x8139);
  bus->add_function(2, 5, 4, 0x10EC, 0x8140);  // hidden: function 0 claims no others
  EXPECT_EQ(scan(), "PCI BUS 02, DEVICE 05, FUNCTION 00 = VENDOR 10EC, DEVICE 8139\n");
}

TEST_F(PciScan, VendorZeroIsSkippedAndBusesBeyondSevenAreNotScanned) {
  bus->add_function(7, 31, 0, 0x1AF4, 0x1000);
  bus->add_function(0, 4, 0, 0x0000, 0x1234);
  EXPECT_EQ(scan(), "PCI BUS 07, DEVICE 1F, FUNCTION 00 = VENDOR 1AF4, DEVICE 1000\n");
}

TEST_F(PciScan, ReadShiftsByteAndWordFieldsDown) {
  uint8_t* space = bus->add_function(0, 1, 0, 0xABCD, 0x1234, 0x03, 0x80);
  space[0x09] = 0x5A;
  PeripheralComponentInterconnectController pci;
  EXPECT_EQ(pci.Read(0, 1, 0, 0x00), 0x1234ABCDu);
  EXPECT_EQ(pci.Read(0, 1, 0, 0x02) & 0xFFFF, 0x1234u);
  EXPECT_EQ(pci.Read(0, 1, 0, 0x0B) & 0xFF, 0x03u);
  auto dev = pci.GetDeviceDescriptor(0, 1, 0);
  EXPECT_EQ(dev.vendor_id, 0xABCD);
  EXPECT_EQ(dev.device_id, 0x1234);
  EXPECT_EQ(dev.class_id, 0x03);
  EXPECT_EQ(dev.subclass_id, 0x80);
  EXPECT_EQ(dev.interface_id, 0x5A);
  pci.Write(0, 1, 0, 0x3C, 0x0000000B);
  EXPECT_EQ(pci.GetDeviceDescriptor(0, 1, 0).interrupt & 0xFF, 0x0Bu);
}

TEST_F(PciScan, BaseAddressRegistersIoDecodedMemoryNot) {
  bus->add_function(0, 1, 1, 0x8086, 0x7010);
  bus->set_bar(0, 1, 1, 4, 0x0000C041);
  bus->set_bar(0, 1, 1, 0, 0xFEB00008);
  PeripheralComponentInterconnectController pci;
  BaseAddressRegister io = pci.GetBaseAddressRegister(0, 1, 1, 4);
  EXPECT_EQ(io.type, InputOutput);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(io.address), 0xC040u);
  BaseAddressRegister memory = pci.GetBaseAddressRegister(0, 1, 1, 0);
  EXPECT_EQ(memory.type, MemoryMapping);
  EXPECT_EQ(memory.address, nullptr);
  // A bridge (header type 1) has two registers only.
  uint8_t* bridge = bus->add_function(0, 9, 0, 0x8086, 0x2448);
  bridge[0x0E] = 0x01;
  bus->set_bar(0, 9, 0, 2, 0x0000D001);
  EXPECT_EQ(pci.GetBaseAddressRegister(0, 9, 0, 2).address, nullptr);
}

}  // namespace
