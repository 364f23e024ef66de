#pragma once
// The drive's parameter table as the tool keeps it: descriptors of the four
// kinds, the counts received, the rows the table view gives them, and the
// checks applied to the descriptor stream. Qt Core only.

#include <QString>
#include <cstdint>

enum ParamKind : uint32_t {
    WritableString = 0,
    ReadOnlyString = 1,
    WritableParam = 2,
    ReadOnlyParam = 3,
};
// The request kind of a frame that names no row of the table.
constexpr uint32_t noTableEntry = 4;

enum ValueType : uint32_t {
    vtUint8 = 0,
    vtInt8 = 1,
    vtUint16 = 2,
    vtInt16 = 3,
    vtUint32 = 4,
    vtInt32 = 5,
    vtFloat = 6,
    vtUint64 = 7,
    vtInt64 = 8,
    vtDouble = 9,
    vtText = 10,
};

// Descriptor-stream error bits.
enum DescriptorError : uint32_t {
    deIllegalCode = 0x001,
    deKindBreak = 0x002,
    deIndexBreak = 0x004,
    deDiscontinuous = 0x008,
    deBeyondCapacity = 0x010,
    deMissingFrame = 0x020,
    deCodeNotForKind = 0x040,
    deWritableStringCount = 0x080,
    deReadOnlyStringCount = 0x100,
    deWritableParamCount = 0x200,
    deReadOnlyParamCount = 0x400,
    deIncompleteEntry = 0x800,  // a counted entry lacks a frame its kind and type need
};

// Descriptor frame codes (identifier bits 16..23): a name or a string value
// in three pieces, the limits, the value and its second half, and the end.
enum DescriptorFrameCode : uint8_t {
    dfNameStart = 0,
    dfNameMiddle = 1,
    dfNameEnd = 2,
    dfLimits = 3,
    dfValue = 4,
    dfValueTail = 5,
    dfTextStart = 6,
    dfTextMiddle = 7,
    dfTextEnd = 8,
};
constexpr uint8_t descriptorEndCode = 9;

// Entries per kind; kinds 4..15 have no storage.
uint16_t kindCapacity(uint32_t kind);
// Bytes of a value of the type; 0 for the codes without a type.
int valueSize(uint32_t type);
inline uint16_t functionCodeOf(uint32_t kind, uint32_t index) { return uint16_t((kind << 12) | (index & 0x0FFF)); }
inline uint32_t kindOfCode(uint16_t code) { return uint32_t(code >> 12); }
inline uint16_t indexOfCode(uint16_t code) { return uint16_t(code & 0x0FFF); }

struct WritableParamEntry {
    QString name;
    QString valueText;
    float maxValue = 0;
    float minValue = 0;
    uint8_t decimals = 0;
    uint8_t value[8] = {};
    uint8_t pendingValue[8] = {};
    uint32_t valueType = 0;
    uint8_t modified = 0;
    uint8_t attribute = 0;
};

struct ReadOnlyParamEntry {
    QString name;
    uint8_t value[8] = {};
    uint32_t valueType = 0;
};

struct ReadOnlyStringEntry {
    QString name;
    QString valueText;
};

struct WritableStringEntry {
    QString name;
    QString valueText;
    uint8_t pendingText[17] = {};
    uint8_t modified = 0;
};

// What a write-back does after an entry was written.
enum class WriteStep {
    WriteEntry,  // write (requestKind, requestIndex) next
    Save,        // everything marked is written: ask the drive to save
};

struct ParameterTable {
    static constexpr int stringCapacity = 32;
    static constexpr int paramCapacity = 256;

    WritableParamEntry writableParams[paramCapacity];
    ReadOnlyParamEntry readOnlyParams[paramCapacity];
    ReadOnlyStringEntry readOnlyStrings[stringCapacity];
    WritableStringEntry writableStrings[stringCapacity];

    uint16_t kindCount[4] = {};
    uint16_t firstRow[4] = {};
    uint16_t lastRow[4] = {};
    uint8_t setupCount = 0;
    uint16_t lastFrameIndex = 0;
    uint32_t lastFrameKind = 0;
    uint8_t textBuffer[17] = {};
    // Per entry of this download: bit c set once frame code c has been stored.
    uint16_t framesStored[4][paramCapacity] = {};
    // The first entry, in table order, that the end frame found incomplete.
    uint16_t incompleteCode = 0;

    // A new download: no entry counted, no frame stored yet.
    void beginDownload();
    // Bits of the frame codes an entry of this kind needs, by its value type.
    uint16_t framesNeeded(uint32_t kind, uint32_t index) const;

    // One descriptor frame (codes 0..8 and above 9): stores what it carries
    // and returns the error bits it raises. `previousCode` is the code of the
    // frame before it; the caller keeps it.
    uint32_t acceptDescriptor(uint8_t code, const uint8_t data[8], uint32_t previousCode);
    // The end frame: stores `setupCount` and returns the count-mismatch bits,
    // and deIncompleteEntry (with `incompleteCode`) for an entry left unfinished.
    uint32_t acceptEndFrame(const uint8_t data[8]);

    // Rows of the table view: the kinds one after another (16-bit arithmetic,
    // so an empty kind has lastRow = firstRow - 1).
    void layoutRows();
    int rowCount() const;
    // The kind and index shown in a row; false for a row beyond the table.
    bool entryAtRow(int row, uint32_t& kind, uint16_t& index) const;

    bool hasEntry(uint32_t kind, uint32_t index) const { return kind < 4 && index < kindCount[kind]; }
    bool isModified(uint32_t kind, uint32_t index) const;
    void setModified(uint32_t kind, uint32_t index, bool on);
    bool anyModified() const;
    // Forgets every edit (a new download shows the drive's values).
    void clearModified();
    // The first marked entry, writable strings before writable parameters.
    bool firstModified(uint32_t& kind, uint16_t& index) const;
    // After (kind, index) was written: the next marked entry, or the save.
    // A kind without entries is passed over, so strings alone end in the save.
    WriteStep nextWrite(uint32_t& kind, uint16_t& index) const;
    // After (kind, index) was read: the next existing entry; false after the
    // last one. Kinds without entries are passed over.
    bool nextRead(uint32_t& kind, uint16_t& index) const;
    bool firstRead(uint32_t& kind, uint16_t& index) const;

    // The value type of a numeric entry (kinds 2 and 3), vtText for strings.
    uint32_t valueTypeOf(uint32_t kind, uint32_t index) const;
    // Value bytes of a numeric entry; nullptr for other kinds.
    const uint8_t* valueOf(uint32_t kind, uint32_t index) const;

private:
    // The entry a descriptor frame names, and how it follows the frame before.
    struct DescriptorTarget {
        uint32_t kind = 0;
        uint16_t index = 0;
        bool stored = false;      // the kind has storage for the index
        uint32_t continuity = 0;  // deIndexBreak, deKindBreak or deBeyondCapacity against the frame before
    };
    struct FrameOutcome {
        bool kept = false;              // the frame's content went into the entry
        bool continuityCounts = false;  // the frame continues another: breaks in the sequence are errors
        uint32_t errors = 0;            // raised in any case
        uint32_t continuityErrors = 0;  // raised with the continuity
    };
    // One function per frame code.
    void startText(const uint8_t data[8]);
    FrameOutcome continueText(uint8_t code, const uint8_t data[8], uint32_t previousCode);
    FrameOutcome endText(uint8_t code, const uint8_t data[8], uint32_t previousCode, const DescriptorTarget& target);
    FrameOutcome acceptLimits(const uint8_t data[8], const DescriptorTarget& target);
    FrameOutcome acceptValue(const uint8_t data[8], const DescriptorTarget& target);
    FrameOutcome acceptValueTail(const uint8_t data[8], const DescriptorTarget& target);
    // The kind's count grows with the next index in order; the error bits otherwise.
    uint32_t countEntry(const DescriptorTarget& target);
};

// Latin-1 text of a zero-terminated buffer of at most `length` bytes.
QString latin1Text(const uint8_t* bytes, int length);
