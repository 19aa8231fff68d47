// Every spelling of one device reserves it under one name, and different devices under different names.
#include <gtest/gtest.h>

#include <string>

#include "serial/port_reservation_name.h"

namespace flash410::serial {
namespace {

TEST(PortReservationName, EverySpellingOfAComPortIsOneName) {
    for (const char* spelling :
         {"COM5", "com5", "\\\\.\\COM5", "\\\\.\\com5", "\\\\?\\COM5", "//./Com5", "COM5:"}) {
        EXPECT_EQ(PortReservationName(spelling), "COM5") << spelling;
    }
    EXPECT_EQ(PortReservationName("\\\\.\\COM15"), "COM15");
    EXPECT_NE(PortReservationName("\\\\.\\COM15"), PortReservationName("\\\\.\\COM1"));
}

TEST(PortReservationName, AnotherDevicePathKeepsItsPartsWithoutBackslashes) {
    EXPECT_EQ(PortReservationName("\\\\.\\GLOBALROOT\\Device\\Serial0"), "GLOBALROOT/DEVICE/SERIAL0");
    EXPECT_EQ(PortReservationName("\\\\?\\usb#vid_0403&pid_6001#a1b2#{86e0d1e0-8089-11d0-9ce4-08003e301f73}"),
              "USB#VID_0403&PID_6001#A1B2#{86E0D1E0-8089-11D0-9CE4-08003E301F73}");
    // Only a device prefix at the start goes: a name of one dot is not one.
    EXPECT_EQ(PortReservationName("\\.\\COM5"), "/./COM5");
}

TEST(PortReservationName, ATooLongNameIsCutToALengthAKernelObjectTakesAndStillTellsDevicesApart) {
    const std::string stem = "\\\\?\\" + std::string(300, 'x');
    const std::string first = PortReservationName(stem + "1");
    const std::string second = PortReservationName(stem + "2");
    EXPECT_EQ(first.size(), 200u);
    EXPECT_EQ(first.substr(0, 10), "XXXXXXXXXX");
    EXPECT_NE(first, second);
    EXPECT_EQ(first, PortReservationName("//?/" + std::string(300, 'X') + "1"));
}

}  // namespace
}  // namespace flash410::serial
