#include "markup_output.h"

#include "shown_text.h"

namespace ambertap::ladder {

namespace {

void appendShown(LineWriter& writer, char c) {
    switch (c) {
        case '&':
            writer.text("&amp;");
            break;
        case '<':
            writer.text("&lt;");
            break;
        case '>':
            writer.text("&gt;");
            break;
        case '"':
            writer.text("&quot;");
            break;
        default:
            writer.character(c);
    }
}

}  // namespace

void MarkupOutput::append(LineWriter& writer, const Escaped& text) {
    const bool whole = text.text.size() <= mostEscapedCharacters;
    const std::size_t kept =
        whole ? text.text.size() : mostEscapedCharacters - shortenedMark.size();
    for (std::size_t i = 0; i < kept; ++i) {
        appendShown(writer, shownCharacter(static_cast<unsigned char>(text.text[i])));
    }
    if (!whole) {
        writer.text(shortenedMark);
    }
}

void MarkupOutput::append(LineWriter& writer, Count count) {
    writer.text(decimal(count.value));
}

void MarkupOutput::append(LineWriter& writer, const Anchor& anchor) {
    writer.character(anchor.kind);
    append(writer, Count{anchor.first});
    writer.character('-');
    append(writer, Count{anchor.second});
    if (anchor.third >= 0) {
        writer.character('-');
        writer.decimal(anchor.third);
    }
}

}  // namespace ambertap::ladder
