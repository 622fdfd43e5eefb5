#pragma once

#include <QStringView>

#include <string_view>

// English words of three to twelve letters, from the system's word list when
// the browser was built.
class EnglishWords
{
public:
    // True when label, lower-case ASCII, is two such words and nothing else
    // ("coffeewrong", "dealinggap").
    static bool isWordPair(QStringView label);
    // True when each hyphen-separated piece of label is one such word or two
    // ("lightning", "sea-salt", "kitchenlamp-shop"): no run of random letters.
    static bool isWords(QStringView label);

private:
    static bool isWord(QStringView word);
    static bool isPair(QStringView label);
    // Sorted, one word a line; generated when the build is configured.
    static std::string_view text();
};
