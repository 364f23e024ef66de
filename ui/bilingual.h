#pragma once
#include <QString>
#include <QStringList>
#include <QVector>

#include <utility>

// Every text the program writes exists in English and in Chinese. The text
// builders return both; the window shows the one of the current language.
struct Bilingual {
    QString english;
    QString chinese;

    Bilingual() = default;
    Bilingual(const char* englishText, const char* chineseText)
        : english(QString::fromUtf8(englishText)), chinese(QString::fromUtf8(chineseText))
    {
    }
    Bilingual(QString englishText, QString chineseText)
        : english(std::move(englishText)), chinese(std::move(chineseText))
    {
    }
    // Numbers, names and other texts that read the same in both languages.
    static Bilingual same(const QString& text) { return {text, text}; }

    // The one place where the language picks a text.
    const QString& in(bool inEnglish) const { return inEnglish ? english : chinese; }

    bool isEmpty() const { return english.isEmpty() && chinese.isEmpty(); }
    Bilingual mid(int position) const { return {english.mid(position), chinese.mid(position)}; }
    template <typename... Args>
    Bilingual arg(const Args&... args) const
    {
        return {english.arg(args...), chinese.arg(args...)};
    }

    Bilingual& operator+=(const Bilingual& other)
    {
        english += other.english;
        chinese += other.chinese;
        return *this;
    }
    Bilingual& operator+=(const QString& text)
    {
        english += text;
        chinese += text;
        return *this;
    }
    bool operator==(const Bilingual& other) const { return english == other.english && chinese == other.chinese; }
};

inline Bilingual operator+(Bilingual left, const Bilingual& right) { return left += right; }
inline Bilingual operator+(Bilingual left, const QString& right) { return left += right; }
inline Bilingual operator+(const QString& left, const Bilingual& right)
{
    return {left + right.english, left + right.chinese};
}

inline QStringList pickEach(const QVector<Bilingual>& texts, bool inEnglish)
{
    QStringList picked;
    for (const Bilingual& text : texts)
        picked << text.in(inEnglish);
    return picked;
}
