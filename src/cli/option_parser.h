// A scanner of single-letter options: "-c", "/c", grouped letters ("-cc"),
// and letters that take a parameter ("-fname", "-f name").
#pragma once

#include <cstdio>

namespace ambertap {

inline constexpr int endOfOptions = -1;
inline constexpr int badOption = '?';

// The scanner's state, kept between calls.
struct OptionParser {
    int optionIndex = 0;                   // argument being scanned; the first looked at is 1
    const char* optionScan = nullptr;      // next letter within that argument
    const char* optionArgument = nullptr;  // parameter of the last letter that takes one
    int reportOptionErrors = 1;            // print the two error messages when on

    // Returns the next option letter, badOption, or endOfOptions. Scanning
    // stops at the first argument that is not an option, at a lone "-" or
    // "/", and after "--" or any argument beginning with two dashes.
    // `optionLetters` lists the accepted letters; one followed by ':' takes a
    // parameter.
    int nextOption(int argumentCount, const char* const* argumentVector, const char* optionLetters,
                   std::FILE* err = stderr);

  private:
    bool startNextArgument(int argumentCount, const char* const* argumentVector);
    int takeParameter(int argumentCount, const char* const* argumentVector, char letter,
                      std::FILE* err);
};

// The scanner that the program's command line is read with.
extern OptionParser optionParser;

}  // namespace ambertap
