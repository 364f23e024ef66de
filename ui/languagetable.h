#pragma once
// The widget texts that the language switch swaps: per widget, how its text
// is set, its English literal, and the Chinese text it showed when the
// window first switched to English (captured once per run, kept to the end).

#include <QString>
#include <QVector>

#include <cstddef>

#include "ui/bilingual.h"

class QWidget;

enum class TextSlot {
    ButtonText,  // QAbstractButton::text
    LabelText,   // QLabel::text
    GroupTitle,  // QGroupBox::title
    TabTitle,    // the page's title in its QTabWidget
    Placeholder  // QLineEdit::placeholderText
};

struct LanguageEntry {
    const char* objectName;
    TextSlot slot;
    const char* english;
    QString savedChinese;  // empty until captured
};

// The status bar message that each switch leaves behind.
Bilingual languageSwitchStatusText();

// The six run-mode items (first blank) and the three frame-type items (first empty).
QVector<Bilingual> runModeItems();
QVector<Bilingual> canTypeItems();

class LanguageTable {
public:
    static LanguageTable& instance();  // one per program run

    std::size_t size() const;
    const LanguageEntry& entry(std::size_t i) const;
    const LanguageEntry* find(const char* objectName) const;
    bool chineseCaptured() const { return captured; }

    // Copies the current text of every widget into its slot, the first time only.
    void captureChineseOnce(const QWidget* root);
    // English literals, or the captured Chinese texts (nothing before a capture).
    void apply(QWidget* root, bool english) const;

    // The text a widget shows in the entry's slot; null when the widget is missing.
    static QString currentText(const QWidget* root, const LanguageEntry& entry);
    static bool setText(QWidget* root, const LanguageEntry& entry, const QString& text);

private:
    LanguageTable();
    LanguageEntry* entries;
    std::size_t count;
    bool captured = false;
};
