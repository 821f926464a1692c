// Entry point of every Windows test program: one single-threaded apartment,
// as the host gives the add-in, and the program's own resources (the DLL's
// resource script is linked in) as the resource module.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "framework/Module.h"
#include "testbed/fixtures/ComApartment.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const velmora::test::ComApartment apartment;
    if (FAILED(apartment.Result())) return 2;
    velmora::SetModuleInstance(GetModuleHandleW(nullptr));
    return RUN_ALL_TESTS();
}
