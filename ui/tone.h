#pragma once
// The one place that colours the information labels: a tone per outcome.

#include <QLabel>
#include <QString>

enum class Tone { success, failure, notice, neutral };

inline QString toneStyle(Tone tone)
{
    switch (tone) {
    case Tone::success:
        return QStringLiteral("color:green;");
    case Tone::failure:
        return QStringLiteral("color:red;");
    case Tone::notice:
        return QStringLiteral("color:blue;");
    case Tone::neutral:
        break;
    }
    return QStringLiteral("color:black;");
}

// A style sheet set anew repolishes the label: only a change is written.
inline void setTone(QLabel* label, Tone tone)
{
    const QString sheet = toneStyle(tone);
    if (label->styleSheet() != sheet)
        label->setStyleSheet(sheet);
}

inline void showInfo(QLabel* label, Tone tone, const QString& text)
{
    setTone(label, tone);
    label->setText(text);
}
