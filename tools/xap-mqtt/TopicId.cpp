#include "TopicId.h"

namespace xapmqtt {

namespace {

bool keeps(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::string topicId(std::string_view text)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (keeps(c)) {
            out += ch;
        } else if (c == '.') {
            out += '-';
        } else {
            out += '_';
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

std::optional<std::string> fromTopicId(std::string_view id)
{
    std::string out;
    out.reserve(id.size());
    for (std::size_t i = 0; i < id.size(); ++i) {
        const auto c = static_cast<unsigned char>(id[i]);
        if (keeps(c)) {
            out += id[i];
        } else if (c == '-') {
            out += '.';
        } else if (c == '_' && i + 2 < id.size() + 0 && hexValue(id[i + 1]) >= 0 && hexValue(id[i + 2]) >= 0) {
            const char byte = static_cast<char>(hexValue(id[i + 1]) * 16 + hexValue(id[i + 2]));
            // Only what topicId escapes may come back escaped (one spelling per text).
            if (keeps(static_cast<unsigned char>(byte)) || byte == '.')
                return std::nullopt;
            out += byte;
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

} // namespace xapmqtt
