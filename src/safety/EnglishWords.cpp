#include "safety/EnglishWords.h"

#include <QStringTokenizer>

#include <algorithm>
#include <vector>

namespace {

constexpr qsizetype shortest = 3;
constexpr qsizetype longest = 12;

quint64 letter(char c)
{
    return quint64(c - 'a' + 1);
}

quint64 letter(QChar c)
{
    return quint64(c.unicode() - u'a' + 1);
}

// A word of up to twelve letters in five bits each, its first letter
// highest, so that the numbers sort as the words do.
template<typename Text> quint64 packed(const Text &word)
{
    quint64 key = 0;
    for (qsizetype i = 0; i < longest; ++i)
        key = key << 5 | (i < qsizetype(word.size()) ? letter(word[i]) : 0u);
    return key;
}

bool isLetters(QStringView text)
{
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= u'a' && c.unicode() <= u'z'; });
}

} // namespace

bool EnglishWords::isWord(QStringView word)
{
    static const std::vector<quint64> words = [] {
        std::vector<quint64> keys;
        std::string_view rest = text();
        while (!rest.empty()) {
            const size_t end = std::min(rest.find('\n'), rest.size());
            keys.push_back(packed(rest.substr(0, end)));
            rest.remove_prefix(std::min(end + 1, rest.size()));
        }
        std::sort(keys.begin(), keys.end());
        return keys;
    }();
    return word.size() >= shortest && word.size() <= longest && isLetters(word)
        && std::binary_search(words.begin(), words.end(), packed(word));
}

bool EnglishWords::isPair(QStringView label)
{
    for (qsizetype split = std::max(shortest, label.size() - longest);
         split <= std::min(longest, label.size() - shortest); ++split) {
        if (isWord(label.first(split)) && isWord(label.sliced(split)))
            return true;
    }
    return false;
}

bool EnglishWords::isWordPair(QStringView label)
{
    // A compound the list knows ("handmade") is one word, not two.
    return label.size() >= 8 && !isWord(label) && isPair(label);
}

bool EnglishWords::isWords(QStringView label)
{
    if (label.isEmpty())
        return false;
    for (const QStringView piece : label.tokenize(u'-')) {
        if (!isWord(piece) && !isPair(piece))
            return false;
    }
    return true;
}
