#include "option_parser.h"

#include <cstring>

namespace ambertap {

OptionParser optionParser;

namespace {

// ':' marks a letter that takes a parameter; it is no option letter itself.
const char* findLetter(const char* optionLetters, char letter) {
    return letter == ':' ? nullptr : std::strchr(optionLetters, letter);
}

// A letter that is not printable ASCII shows as '?': raw, it would put a byte
// of a code page, half a UTF-8 sequence or a control character on the terminal.
char shownLetter(char letter) {
    return letter >= '!' && letter <= '~' ? letter : '?';
}

// Letters are returned as unsigned characters so none can read as endOfOptions.
int letterResult(char letter) {
    return static_cast<unsigned char>(letter);
}

}  // namespace

int OptionParser::nextOption(int argumentCount, const char* const* argumentVector,
                             const char* optionLetters, std::FILE* err) {
    if ((optionScan == nullptr || *optionScan == '\0') &&
        !startNextArgument(argumentCount, argumentVector)) {
        return endOfOptions;
    }
    const char letter = *optionScan++;
    const char* const accepted = findLetter(optionLetters, letter);
    if (accepted == nullptr) {
        if (reportOptionErrors) {
            std::fprintf(err, "Ungueltige Option: %c\n", shownLetter(letter));
        }
        return badOption;
    }
    if (accepted[1] != ':') {
        return letterResult(letter);
    }
    return takeParameter(argumentCount, argumentVector, letter, err);
}

// Moves on to the next argument; false when it holds no options.
bool OptionParser::startNextArgument(int argumentCount, const char* const* argumentVector) {
    ++optionIndex;
    if (optionIndex >= argumentCount) {
        return false;
    }
    const char* const argument = argumentVector[optionIndex];
    if (argument[0] != '-' && argument[0] != '/') {
        return false;
    }
    // A lone prefix has no letter to read.
    if (argument[1] == '\0') {
        return false;
    }
    if (argument[0] == '-' && argument[1] == '-') {
        ++optionIndex;
        return false;
    }
    optionScan = argument + 1;
    return true;
}

// The rest of the current argument, or else the whole next one.
int OptionParser::takeParameter(int argumentCount, const char* const* argumentVector, char letter,
                                std::FILE* err) {
    if (*optionScan != '\0') {
        optionArgument = optionScan;
        optionScan = nullptr;
        return letterResult(letter);
    }
    ++optionIndex;
    if (optionIndex < argumentCount) {
        optionArgument = argumentVector[optionIndex];
        optionScan = nullptr;
        return letterResult(letter);
    }
    if (reportOptionErrors) {
        std::fprintf(err, "Option '%c' braucht Parameter\n", letter);
    }
    return badOption;
}

}  // namespace ambertap
