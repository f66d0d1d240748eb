// The player's language: the texts a player reads, looked up in the
// program's gettext catalogue (domain "veldrinins") by their English text.
// Under English, or a language the program has no catalogue of, every text
// is the English one it is looked up by. Nothing here needs a window.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/failure.h"

// Marks an English text for the template without translating it where it
// stands: the text is data (the list's status words) that a front end
// translates where it shows it, through Tr.
#define TrMark(english) english

// The translation of english in the player's language, or english itself
// when the catalogue has none. The catalogue is loaded on the first call.
[[nodiscard]] const char* Tr(const char* english);

// The translation of the text counting n: one is the English for 1, other
// for every other count. Which of the catalogue's forms is used is told by
// its Plural-Forms expression; without a translation, one or other.
[[nodiscard]] const char* TrPlural(const char* one, const char* other, unsigned long n);

// format with its placeholders filled: "%s" takes the next value, "%1$s"
// to "%9$s" the value of that place, "%%" is a percent sign. A placeholder
// without a value is left out. Lets a translation order the values as its
// language needs.
[[nodiscard]] std::string Fill(const char* format, std::initializer_list<std::string> values);
[[nodiscard]] std::string Fill(const std::string& format, std::initializer_list<std::string> values);

// The reason of a file layer's failure in the player's language: its own
// words translated, their value filled in; the system's reason as the
// system gives it.
[[nodiscard]] std::string PlayerReason(const platform::Failure& failure);

namespace translations {

// A compiled gettext catalogue: its messages and plural rule.
class Catalogue {
public:
    // Reads the catalogue held in bytes: a .mo file, in either byte order,
    // or its compact form, which the Windows program carries (the 64-bit
    // FNV-1a hash of each message id in place of the id, made only where no
    // two ids share one). Returns false, and holds no message, when bytes is
    // neither.
    [[nodiscard]] bool Read(const std::string& bytes);
    // The translation of english (its form for n, when plural), or null.
    [[nodiscard]] const char* Find(const char* english) const;
    [[nodiscard]] const char* FindPlural(const char* one, const char* other, unsigned long n) const;
    [[nodiscard]] bool Empty() const;

    // The form the Plural-Forms expression picks for n; 0 or 1 (English)
    // when the header has none or it cannot be read.
    [[nodiscard]] unsigned long PluralForm(unsigned long n) const;

private:
    // Takes the plural rule from the header (the message of the empty id)
    // and drops it from the messages.
    void ReadHeader();

    // Each message, by the key of its id (of a plural, its first form), with
    // its translation: of a plural, its forms with a NUL after each.
    std::unordered_map<uint64_t, std::string> m_messages;
    std::string m_plural;  // the Plural-Forms' plural= expression
    unsigned long m_forms = 2;
};

// The value of the C-like plural expression (n, numbers, ! % * / + - < <=
// > >= == != && || ?: and parentheses) for n. Sets ok to false on an
// expression it cannot read.
[[nodiscard]] unsigned long EvaluatePlural(const std::string& expression, unsigned long n, bool& ok);

// The language codes to try for the system's languages, in order, as the
// catalogues are named: "de_DE.UTF-8@euro" gives "de_DE" then "de". A "C"
// or "POSIX" ends the list: English, with no catalogue.
[[nodiscard]] std::vector<std::string> Candidates(const std::vector<std::string>& systemLanguages);

// The language whose catalogue is in use ("de", "pt_BR"), loading it first
// if needed; empty for English.
[[nodiscard]] const std::string& Language();

// Uses the catalogue of the first of languages that the program ships, as
// the system's languages would; languages empty: the system's own. For
// tests and for a front end told the language.
void UseLanguages(const std::vector<std::string>& languages);

}  // namespace translations
