#include "helper.h"

#include <gtest/gtest.h>

#include <cstring>

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--platform-helper") == 0)
        return helperMain(argc - 1, argv + 1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
