// The library's throw helpers replaced for size: its errors stay catchable, with its text.
#include "base/SysUtils.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(LibraryThrows, StringAndContainerErrorsRaiseTheProgramsException) {
    const std::string s = "ab";
    try {
        (void)s.substr(3);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "basic_string::substr: __pos (which is 3) > this->size() (which is 2)");
    }
    EXPECT_THROW((void)s.at(2), std::exception);
    std::vector<int> v;
    EXPECT_THROW(v.reserve(v.max_size() + 1), Exception);
    std::string big;
    EXPECT_THROW(big.resize(big.max_size() + 1), Exception);
}

TEST(LibraryThrows, AllocationFailuresKeepTheirType) {
    EXPECT_THROW(std::__throw_bad_alloc(), std::bad_alloc);
    EXPECT_THROW(std::__throw_bad_array_new_length(), std::bad_array_new_length);
}
