#include "host/graphs/axis_titles.h"

#include "hostapi/ksmem32.h"

#include <QStringList>

#include <algorithm>

namespace {

// What a counted column's name ends with, and the word for what it counts.
struct CountedWord {
    const char* suffix;
    const char* word;
};
constexpr CountedWord kCountedWords[] = {
    {"Octets", "Bytes"}, {"Pkts", "Packets"}, {"Packets", "Packets"}, {"Errors", "Errors"}};

std::string WithoutSpaces(const std::string& text) {
    std::string compact;
    std::copy_if(text.begin(), text.end(), std::back_inserter(compact),
                 [](char c) { return c != ' ' && c != '\t'; });
    return compact;
}

bool IsPercentage(const std::string& compact) {
    const std::string factor = "100*", divisor = "*100";
    return compact.compare(0, factor.size(), factor) == 0 ||
           (compact.size() > divisor.size() &&
            compact.compare(compact.size() - divisor.size(), divisor.size(), divisor) == 0);
}

// The word for a lone "{column}", empty for any other expression.
QString CountedWordOf(const std::string& compact) {
    if (compact.size() < 3 || compact.front() != '{' || compact.back() != '}' ||
        compact.find_first_of("{}", 1) != compact.size() - 1) {
        return {};
    }
    const std::string column = compact.substr(1, compact.size() - 2);
    for (const CountedWord& counted : kCountedWords) {
        const std::string suffix = counted.suffix;
        if (column.size() >= suffix.size() &&
            column.compare(column.size() - suffix.size(), suffix.size(), suffix) == 0) {
            return QString::fromUtf8(Localize(counted.word));
        }
    }
    return QString::fromStdString(column);
}

ValueAxisTitles CountsTitles(const QStringList& words, unsigned intervalMs) {
    const QString seconds = QString::number(intervalMs / 1000.0, 'g', 6);
    const QString counted = words.join(QString::fromUtf8(Localize(" and ")));
    return {QString::fromUtf8(Localize("%1 per %2 s")).arg(counted, seconds), counted};
}

} // namespace

ValueAxisTitles ValueAxisTitle(const std::vector<std::string>& expressions, unsigned intervalMs) {
    int percentages = 0;
    QStringList words;
    for (const std::string& expression : expressions) {
        const std::string compact = WithoutSpaces(expression);
        const QString word = CountedWordOf(compact);
        if (IsPercentage(compact)) {
            ++percentages;
        } else if (word.isEmpty()) {
            return {};
        } else if (!words.contains(word)) {
            words.append(word);
        }
    }
    if (expressions.empty() || (percentages > 0 && !words.isEmpty())) {
        return {};
    }
    if (percentages > 0) {
        return {QString::fromUtf8(Localize("Per cent")), QString::fromUtf8(Localize("%"))};
    }
    return CountsTitles(words, intervalMs);
}

QString TimeAxisTitle() {
    return QString::fromUtf8(Localize("Time"));
}
