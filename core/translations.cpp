#include "core/translations.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/language.h"

std::string PlayerReason(const platform::Failure& failure) {
    if (failure.words.empty()) return failure.reason;
    return Fill(Tr(failure.words.c_str()), {failure.value});
}

namespace translations {

namespace {

constexpr uint32_t kMagic = 0x950412de;
// The compact form: "VCAT", the message count, then for each message its
// key (8 bytes), the place and the length of its translation (4 bytes
// each), all little-endian; the translations follow, a NUL after each.
const char kCompactMagic[] = "VCAT";
const char kDomain[] = "veldrinins";

// The key a message is found by: the 64-bit FNV-1a hash of its id, as
// po/compact-catalogue makes it.
uint64_t KeyOf(const char* id) {
    uint64_t key = 0xcbf29ce484222325u;
    for (const char* c = id; *c; ++c) key = (key ^ static_cast<unsigned char>(*c)) * 0x100000001b3u;
    return key;
}

uint32_t Word(const std::string& bytes, size_t at, bool swapped) {
    const auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])); };
    return swapped ? byte(3) | byte(2) << 8 | byte(1) << 16 | byte(0) << 24
                   : byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

// A recursive-descent reader of the plural expression, with C's
// precedence. Division by zero and anything unread set ok to false.
class PluralReader {
public:
    PluralReader(const std::string& text, unsigned long n) : m_text(text), m_n(n) {}

    unsigned long Run(bool& ok) {
        const unsigned long value = Conditional();
        Skip();
        ok = m_ok && m_at == m_text.size();
        return ok ? value : 0;
    }

private:
    const std::string& m_text;
    unsigned long m_n;
    size_t m_at = 0;
    bool m_ok = true;
    int m_depth = 0;

    void Skip() {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\n')) ++m_at;
    }
    bool Take(const char* token) {
        Skip();
        const size_t length = std::strlen(token);
        if (m_text.compare(m_at, length, token) != 0) return false;
        // "<" is not the start of "<=", "!" not of "!=", "=" alone is none.
        if (length == 1 && m_at + 1 < m_text.size() && m_text[m_at + 1] == '=' && std::strchr("<>!", token[0]))
            return false;
        if (length == 1 && (token[0] == '&' || token[0] == '|')) return false;
        m_at += length;
        return true;
    }

    unsigned long Conditional() {
        // Deeply nested input is refused, not followed down the stack.
        if (++m_depth > 100) m_ok = false;
        if (!m_ok) return 0;
        const unsigned long test = Or();
        unsigned long value = test;
        if (Take("?")) {
            const unsigned long yes = Conditional();
            if (!Take(":")) m_ok = false;
            const unsigned long no = Conditional();
            value = test ? yes : no;
        }
        --m_depth;
        return value;
    }
    unsigned long Or() {
        unsigned long value = And();
        while (m_ok && Take("||")) {
            const unsigned long right = And();
            value = value || right;
        }
        return value;
    }
    unsigned long And() {
        unsigned long value = Equality();
        while (m_ok && Take("&&")) {
            const unsigned long right = Equality();
            value = value && right;
        }
        return value;
    }
    unsigned long Equality() {
        unsigned long value = Relation();
        for (;;) {
            if (Take("==")) value = value == Relation();
            else if (Take("!=")) value = value != Relation();
            else return value;
        }
    }
    unsigned long Relation() {
        unsigned long value = Sum();
        for (;;) {
            if (Take("<=")) value = value <= Sum();
            else if (Take(">=")) value = value >= Sum();
            else if (Take("<")) value = value < Sum();
            else if (Take(">")) value = value > Sum();
            else return value;
        }
    }
    unsigned long Sum() {
        unsigned long value = Product();
        for (;;) {
            if (Take("+")) value += Product();
            else if (Take("-")) value -= Product();
            else return value;
        }
    }
    unsigned long Product() {
        unsigned long value = Unary();
        for (;;) {
            const bool times = Take("*");
            const bool divide = !times && Take("/");
            const bool rest = !times && !divide && Take("%");
            if (!times && !divide && !rest) return value;
            const unsigned long right = Unary();
            if (times) value *= right;
            else if (right == 0) m_ok = false;
            else value = divide ? value / right : value % right;
        }
    }
    unsigned long Unary() {
        if (Take("!")) return !Unary();
        Skip();
        if (m_at >= m_text.size()) {
            m_ok = false;
            return 0;
        }
        if (Take("(")) {
            const unsigned long value = Conditional();
            if (!Take(")")) m_ok = false;
            return value;
        }
        if (m_text[m_at] == 'n') {
            ++m_at;
            return m_n;
        }
        if (m_text[m_at] < '0' || m_text[m_at] > '9') {
            m_ok = false;
            return 0;
        }
        unsigned long value = 0;
        while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9')
            value = value * 10 + static_cast<unsigned long>(m_text[m_at++] - '0');
        return value;
    }
};

// The value of name in a catalogue header's line (nplurals=3; plural=...;).
std::string HeaderValue(const std::string& line, const char* name) {
    const size_t at = line.find(name);
    if (at == std::string::npos) return std::string();
    const size_t start = at + std::strlen(name);
    const size_t end = line.find(';', start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

struct Current {
    bool loaded = false;
    std::string language;
    Catalogue catalogue;
};

Current& TheCurrent() {
    static Current current;
    return current;
}

Current& Loaded() {
    Current& current = TheCurrent();
    if (!current.loaded) UseLanguages({});
    return current;
}

}  // namespace

bool Catalogue::Read(const std::string& bytes) {
    m_messages.clear();
    m_plural.clear();
    m_forms = 2;
    const auto fits = [&](uint64_t at, uint64_t length) { return at + length <= bytes.size(); };
    if (bytes.compare(0, 4, kCompactMagic) == 0 && bytes.size() >= 8) {
        const uint32_t count = Word(bytes, 4, false);
        if (!fits(8, uint64_t{count} * 16)) return false;
        for (uint32_t i = 0; i < count; ++i) {
            const size_t entry = 8 + size_t{i} * 16;
            const uint64_t key = Word(bytes, entry, false) | uint64_t{Word(bytes, entry + 4, false)} << 32;
            const uint32_t textAt = Word(bytes, entry + 8, false);
            const uint32_t textLength = Word(bytes, entry + 12, false);
            if (!fits(textAt, uint64_t{textLength} + 1)) {
                m_messages.clear();
                return false;
            }
            m_messages[key] = bytes.substr(textAt, textLength) + '\0';
        }
        ReadHeader();
        return true;
    }
    if (bytes.size() < 28) return false;
    const bool swapped = Word(bytes, 0, false) != kMagic;
    if (swapped && Word(bytes, 0, true) != kMagic) return false;
    const uint32_t count = Word(bytes, 8, swapped);
    const uint32_t originals = Word(bytes, 12, swapped);
    const uint32_t translated = Word(bytes, 16, swapped);
    // Every table and string within the file, lengths measured in 64 bits
    // so that no sum wraps.
    if (!fits(originals, uint64_t{count} * 8) || !fits(translated, uint64_t{count} * 8)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t idLength = Word(bytes, originals + i * 8, swapped);
        const uint32_t idAt = Word(bytes, originals + i * 8 + 4, swapped);
        const uint32_t textLength = Word(bytes, translated + i * 8, swapped);
        const uint32_t textAt = Word(bytes, translated + i * 8 + 4, swapped);
        if (!fits(idAt, uint64_t{idLength} + 1) || !fits(textAt, uint64_t{textLength} + 1)) {
            m_messages.clear();
            return false;
        }
        // Of a plural, the id is its first form.
        m_messages[KeyOf(bytes.c_str() + idAt)] = bytes.substr(textAt, textLength) + '\0';
    }
    ReadHeader();
    return true;
}

void Catalogue::ReadHeader() {
    const auto header = m_messages.find(KeyOf(""));
    if (header != m_messages.end()) {
        const std::string& text = header->second;
        const size_t line = text.find("Plural-Forms:");
        if (line != std::string::npos) {
            const std::string forms = text.substr(line, text.find('\n', line) - line);
            m_plural = HeaderValue(forms, "plural=");
            const std::string number = HeaderValue(forms, "nplurals=");
            m_forms = std::strtoul(number.c_str(), nullptr, 10);
            if (m_forms == 0) m_forms = 1;
        }
        m_messages.erase(header);
    }
}

const char* Catalogue::Find(const char* english) const {
    // The empty id holds the catalogue's header, no message.
    if (!*english) return nullptr;
    const auto found = m_messages.find(KeyOf(english));
    return found == m_messages.end() || found->second.size() <= 1 ? nullptr : found->second.c_str();
}

unsigned long Catalogue::PluralForm(unsigned long n) const {
    if (m_plural.empty()) return n == 1 ? 0 : 1;
    bool ok = true;
    const unsigned long form = EvaluatePlural(m_plural, n, ok);
    if (!ok) return n == 1 ? 0 : 1;
    return form;
}

const char* Catalogue::FindPlural(const char* one, const char*, unsigned long n) const {
    const auto found = m_messages.find(KeyOf(one));
    if (found == m_messages.end()) return nullptr;
    // The forms, a NUL after each: the one the rule picks, when the
    // catalogue has it and it is not empty.
    const std::string& forms = found->second;
    unsigned long form = PluralForm(n);
    size_t at = 0;
    while (form-- > 0 && at < forms.size()) {
        at = forms.find('\0', at);
        if (at == std::string::npos) return nullptr;
        ++at;
    }
    if (at >= forms.size() || forms[at] == '\0') return nullptr;
    return forms.c_str() + at;
}

bool Catalogue::Empty() const { return m_messages.empty(); }

unsigned long EvaluatePlural(const std::string& expression, unsigned long n, bool& ok) {
    return PluralReader(expression, n).Run(ok);
}

std::vector<std::string> Candidates(const std::vector<std::string>& systemLanguages) {
    std::vector<std::string> candidates;
    const auto add = [&](const std::string& code) {
        for (const std::string& known : candidates)
            if (known == code) return;
        candidates.push_back(code);
    };
    for (std::string name : systemLanguages) {
        // "de_DE.UTF-8@euro": the code set and modifier name no language;
        // Windows writes "pt-BR".
        name = name.substr(0, name.find_first_of(".@"));
        for (char& c : name)
            if (c == '-') c = '_';
        if (name.empty()) continue;
        if (name == "C" || name == "POSIX") break;
        add(name);
        const size_t region = name.find('_');
        if (region != std::string::npos) add(name.substr(0, region));
    }
    return candidates;
}

const std::string& Language() { return Loaded().language; }

void UseLanguages(const std::vector<std::string>& languages) {
    Current& current = TheCurrent();
    current.loaded = true;
    current.language.clear();
    (void)current.catalogue.Read(std::string());
    for (const std::string& language : Candidates(languages.empty() ? platform::SystemLanguages() : languages)) {
        // English is the messages' own language.
        if (language == "en" || language.compare(0, 3, "en_") == 0) return;
        const std::string bytes = platform::ShippedCatalogue(kDomain, language);
        if (!bytes.empty() && current.catalogue.Read(bytes)) {
            current.language = language;
            return;
        }
    }
}

}  // namespace translations

const char* Tr(const char* english) {
    const char* text = translations::Loaded().catalogue.Find(english);
    return text ? text : english;
}

const char* TrPlural(const char* one, const char* other, unsigned long n) {
    const char* text = translations::Loaded().catalogue.FindPlural(one, other, n);
    return text ? text : n == 1 ? one : other;
}

std::string Fill(const char* format, std::initializer_list<std::string> values) {
    const std::string* const first = values.begin();
    const size_t count = values.size();
    std::string text;
    size_t next = 0;
    for (const char* c = format; *c; ++c) {
        if (*c != '%') {
            text += *c;
            continue;
        }
        if (c[1] == '%') {
            text += '%';
            ++c;
        } else if (c[1] == 's') {
            if (next < count) text += first[next];
            ++next;
            ++c;
        } else if (c[1] >= '1' && c[1] <= '9' && c[2] == '$' && c[3] == 's') {
            const size_t place = static_cast<size_t>(c[1] - '1');
            if (place < count) text += first[place];
            c += 3;
        } else {
            text += *c;
        }
    }
    return text;
}

std::string Fill(const std::string& format, std::initializer_list<std::string> values) {
    return Fill(format.c_str(), values);
}
