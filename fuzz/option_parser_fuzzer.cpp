// The option scanner over argument vectors built from the input: any letters,
// lone "-" and "/", "--", grouped letters and letters that take parameters.
// Each argument lives in its own allocation of exactly its size, so reading
// past the end of one is caught. The scan must end, return only accepted
// letters, "?" or the end, and print one message for each "?".
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "option_parser.h"

namespace {

[[noreturn]] void fail(const char* property) {
    std::fprintf(stderr, "option scanner breaks \"%s\"\n", property);
    std::abort();
}

struct FreeText {
    void operator()(char* text) const { std::free(text); }
};

// The input: one byte whose lowest bit switches the error messages, then the
// accepted letters and the arguments, each ended by a NUL byte.
struct ScanInput {
    bool reportErrors = true;
    std::string optionLetters;
    std::vector<std::unique_ptr<char[]>> arguments;
    std::vector<const char*> vector;  // program name, arguments, null

    int count() const { return static_cast<int>(vector.size()) - 1; }
};

std::unique_ptr<char[]> copyOf(std::string_view text) {
    auto copy = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(copy.get(), text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
}

ScanInput scanInputFrom(const std::uint8_t* data, std::size_t size) {
    ScanInput input;
    input.reportErrors = (data[0] & 1) != 0;
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t lettersEnd = std::min(rest.find('\0'), rest.size());
    // '?' is the error result, so it cannot also be a letter the test tells apart.
    for (const char letter : rest.substr(0, lettersEnd)) {
        if (letter != '?') {
            input.optionLetters.push_back(letter);
        }
    }
    rest.remove_prefix(std::min(lettersEnd + 1, rest.size()));
    input.arguments.push_back(copyOf("ambertap"));
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\0'), rest.size());
        input.arguments.push_back(copyOf(rest.substr(0, end)));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    for (const auto& argument : input.arguments) {
        input.vector.push_back(argument.get());
    }
    input.vector.push_back(nullptr);
    return input;
}

bool isAccepted(const std::string& optionLetters, int result) {
    return result > 0 && result != ':' &&
           optionLetters.find(static_cast<char>(result)) != std::string::npos;
}

bool takesParameter(const std::string& optionLetters, int result) {
    const std::size_t at = optionLetters.find(static_cast<char>(result));
    return at + 1 < optionLetters.size() && optionLetters[at + 1] == ':';
}

bool pointsIntoAnArgument(const ScanInput& input, const char* text) {
    for (const char* argument : input.vector) {
        if (argument != nullptr && text >= argument && text <= argument + std::strlen(argument)) {
            return true;
        }
    }
    return false;
}

// Counted by their fixed words: the letter inside a message may be a newline.
std::size_t messagesIn(std::string_view text) {
    std::size_t messages = 0;
    for (const std::string_view words : {"Ungueltige Option: ", "' braucht Parameter\n"}) {
        for (std::size_t at = text.find(words); at != std::string_view::npos;
             at = text.find(words, at + words.size())) {
            ++messages;
        }
    }
    return messages;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return -1;
    }
    const ScanInput input = scanInputFrom(data, size);

    char* messages = nullptr;
    std::size_t messagesLength = 0;
    std::FILE* err = open_memstream(&messages, &messagesLength);
    if (err == nullptr) {
        std::abort();
    }
    ambertap::OptionParser parser;
    parser.reportOptionErrors = input.reportErrors ? 1 : 0;

    // Every call reads one letter or moves on by at least one argument.
    std::size_t callsLeft = size + 2;
    std::size_t badOptions = 0;
    for (;;) {
        if (callsLeft-- == 0) {
            fail("the scan ends");
        }
        const int result =
            parser.nextOption(input.count(), input.vector.data(), input.optionLetters.c_str(), err);
        if (result == ambertap::endOfOptions) {
            break;
        }
        if (result == ambertap::badOption) {
            ++badOptions;
        } else if (!isAccepted(input.optionLetters, result)) {
            fail("only accepted letters are returned");
        } else if (takesParameter(input.optionLetters, result) &&
                   (parser.optionArgument == nullptr ||
                    !pointsIntoAnArgument(input, parser.optionArgument))) {
            fail("a parameter is part of an argument");
        }
    }
    // A letter that lacks its parameter at the end moves one further still.
    if (parser.optionIndex < 1 || parser.optionIndex > input.count() + 1) {
        fail("the scan ends at most one past the last argument");
    }
    std::fclose(err);
    const std::unique_ptr<char, FreeText> owned(messages);
    const std::size_t expectedMessages = input.reportErrors ? badOptions : 0;
    if (messagesIn(std::string_view(messages, messagesLength)) != expectedMessages) {
        fail("each bad option has one message when messages are on, none when off");
    }
    return 0;
}
