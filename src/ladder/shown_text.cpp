#include "shown_text.h"

#include <algorithm>
#include <charconv>

namespace ambertap::ladder {

namespace {

std::string shown(std::string_view text) {
    std::string out(text.size(), ' ');
    std::transform(text.begin(), text.end(), out.begin(),
                   [](char c) { return shownCharacter(static_cast<unsigned char>(c)); });
    return out;
}

}  // namespace

std::string fitted(std::string_view text, std::size_t room) {
    if (text.size() <= room) {
        return shown(text);
    }
    const std::size_t mark = std::min(room, shortenedMark.size());
    return shown(text.substr(0, room - mark)) + std::string(shortenedMark.substr(0, mark));
}

std::vector<std::string> wrapped(std::string_view text, std::size_t width) {
    std::vector<std::string> lines;
    const std::size_t room = std::max<std::size_t>(width, 1);
    while (!text.empty()) {
        std::size_t cut = text.size();
        std::size_t next = cut;
        if (text.size() > room) {
            const std::size_t space = text.rfind(' ', room);
            cut = space != std::string_view::npos && space > 0 ? space : room;
            next = cut < text.size() && text[cut] == ' ' ? cut + 1 : cut;
        }
        lines.push_back(shown(text.substr(0, cut)));
        text.remove_prefix(next);
    }
    return lines;
}

std::string listed(const std::vector<std::uint64_t>& numbers) {
    std::string text;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0) {
            text += i + 1 == numbers.size() ? " and " : ", ";
        }
        text += decimal(numbers[i]);
    }
    return text;
}

std::string decimal(std::uint64_t value) {
    char digits[20];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return std::string(digits, end);
}

}  // namespace ambertap::ladder
