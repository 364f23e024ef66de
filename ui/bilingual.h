#pragma once
#include <QString>

// Every text the program writes exists in English and in Chinese; the
// language of the moment picks one.
inline QString pickText(bool english, const char* englishText, const char* chineseText)
{
    return QString::fromUtf8(english ? englishText : chineseText);
}
