// Names the cases of a table-driven test after their rows.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>

namespace ambertap::testing {

// Each row carries a `name` that says what the case shows, so that a failing
// case can be told by its name alone and looked up the same way in every build.
struct NamedByRow {
    template <typename Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
        return info.param.name;
    }
};

// A text as a case name: each run of characters other than letters and digits
// becomes one underscore ("Transp (No frm)" -> "Transp_No_frm").
inline std::string identifierFrom(std::string_view text) {
    std::string name;
    for (const char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            name += c;
        } else if (!name.empty() && name.back() != '_') {
            name += '_';
        }
    }
    if (!name.empty() && name.back() == '_') {
        name.pop_back();
    }
    return name;
}

}  // namespace ambertap::testing
