#include "control/registry/registryparser.h"

#include "control/registry/registrytext.h"

namespace velkan::registry {

namespace {

// Beyond this many values a key's values are found through an index.
constexpr std::size_t kScannedValues = 8;

std::string_view WithoutByteOrderMark(std::string_view text)
{
    return text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text;
}

// Lines that open with '[': at least as many as the keys the text holds.
std::size_t CountKeyLines(std::string_view text)
{
    std::size_t count = text.starts_with('[') ? 1 : 0;
    for (std::size_t at = text.find("\n["); at != std::string_view::npos; at = text.find("\n[", at + 2)) {
        ++count;
    }
    return count;
}

// Reads a quoted string at the front of text (escapes \\ and \"); the rest follows it.
std::optional<std::string> Unquote(std::string_view& text)
{
    std::string out;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\') {
            if (i + 1 >= text.size()) {
                return std::nullopt;
            }
            out += text[++i];
        } else if (c == '"') {
            text.remove_prefix(i + 1);
            return out;
        } else {
            out += c;
        }
    }
    return std::nullopt;
}

} // namespace

RegistryParser::RegistryParser(std::string_view text) : m_lines(WithoutByteOrderMark(text))
{
    m_keys.Reserve(CountKeyLines(text));
}

std::optional<RegistryKeys> RegistryParser::Parse(ParseError* error)
{
    bool sawHeader = false;
    while (const std::optional<std::string_view> line = m_lines.Next()) {
        if (line->empty() || line->front() == ';') {
            continue;
        }
        std::optional<std::string> reason;
        if (!sawHeader) {
            if (*line != kHeader) {
                reason = "not a registry file: it does not begin with \"" + std::string(kHeader) + "\"";
            }
            sawHeader = true;
        } else if (line->front() == '[') {
            reason = TakeKeyLine(*line);
        } else {
            reason = TakeValueLine(*line);
        }
        if (reason) {
            if (error != nullptr) {
                *error = ParseError{.line = m_failedLine.value_or(m_lines.Number()), .reason = std::move(*reason)};
            }
            return std::nullopt;
        }
    }
    return std::move(m_keys);
}

std::optional<std::string> RegistryParser::TakeKeyLine(std::string_view line)
{
    if (line.size() < 2 || line.back() != ']') {
        return "a key line without its closing ']'";
    }
    if (line.size() == 2) {
        return "a key line without a key name";
    }
    if (line[1] == '-') {
        // A file that deletes keys is a change to apply, not a registry to keep.
        return "a key deletion ([-...]), which a registry file does not keep";
    }
    m_current = m_keys.FindOrCreate(line.substr(1, line.size() - 2));
    return std::nullopt;
}

std::optional<std::string> RegistryParser::TakeValueLine(std::string_view line)
{
    if (!m_current) {
        return "a value line outside any key";
    }
    std::string_view rest = line;
    RegistryValue value;
    if (rest.front() == '@') {
        rest.remove_prefix(1);
    } else if (rest.front() == '"') {
        std::optional<std::string> name = Unquote(rest);
        if (!name) {
            return "a value name without its closing quote";
        }
        value.name = std::move(*name);
    } else {
        return "a line that is neither a key, a value nor a comment";
    }
    if (rest.empty() || rest.front() != '=') {
        return "no '=' after the value name";
    }
    rest.remove_prefix(1);
    if (!rest.empty() && rest.front() == '"') {
        std::optional<std::string> data = Unquote(rest);
        if (!data) {
            return "a string value without its closing quote";
        }
        if (!rest.empty()) {
            return "text after the closing quote of a string value";
        }
        value.data = std::move(*data);
    } else if (rest == "-") {
        return "a value deletion (=-), which a registry file does not keep";
    } else {
        // dword:, hex: and the like, kept as written, continuation lines included.
        value.isString = false;
        value.data = rest;
        if (std::optional<std::string> reason = TakeContinuation(value.data)) {
            return reason;
        }
    }
    Store(std::move(value));
    return std::nullopt;
}

std::optional<std::string> RegistryParser::TakeContinuation(std::string& data)
{
    // Raw text is written back as it was read, so a line that would not read back the same is
    // refused rather than changed by the next save: one ending in a carriage return of its own
    // (the next read would take it for the line end), or a value still open at the end of the
    // file (the next read would go on into what the save puts after it).
    const std::size_t first = m_lines.Number();
    for (;;) {
        if (data.ends_with('\r')) {
            return "a stray carriage return at the end of a value line";
        }
        if (!data.ends_with('\\')) {
            return std::nullopt;
        }
        const std::optional<std::string_view> next = m_lines.Next();
        if (!next) {
            m_failedLine = first;
            return "a value continued ('\\' at the end of its line) past the end of the file";
        }
        data += '\n';
        data += *next;
    }
}

void RegistryParser::Store(RegistryValue value)
{
    std::vector<RegistryValue>& values = m_keys.At(*m_current).values;
    std::optional<std::size_t> found;
    if (values.size() <= kScannedValues) {
        for (std::size_t i = 0; i < values.size() && !found; ++i) {
            if (SameName(values[i].name, value.name)) {
                found = i;
            }
        }
    } else {
        NameIndex& index = m_valueIndex[*m_current];
        if (index.Empty()) {
            for (std::size_t i = 0; i < values.size(); ++i) {
                index.Insert(values[i].name, i);
            }
        }
        found = index.Find(value.name, [&values](std::size_t at) -> std::string_view { return values[at].name; });
        if (!found) {
            index.Insert(value.name, values.size());
        }
    }
    if (found) {
        // A later line for the same name replaces the value, spelling of the name included.
        values[*found] = std::move(value);
    } else {
        values.push_back(std::move(value));
    }
}

} // namespace velkan::registry
