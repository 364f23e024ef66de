#include "protocol/parametertable.h"

#include <cstring>

uint16_t kindCapacity(uint32_t kind)
{
    switch (kind) {
    case WritableString:
    case ReadOnlyString:
        return ParameterTable::stringCapacity;
    case WritableParam:
    case ReadOnlyParam:
        return ParameterTable::paramCapacity;
    default:
        return 0;
    }
}

int valueSize(uint32_t type)
{
    switch (type) {
    case vtUint8: case vtInt8: return 1;
    case vtUint16: case vtInt16: return 2;
    case vtUint32: case vtInt32: case vtFloat: return 4;
    case vtUint64: case vtInt64: case vtDouble: return 8;
    case vtText: return 16;
    default: return 0;
    }
}

QString latin1Text(const uint8_t* bytes, int length)
{
    int n = 0;
    while (n < length && bytes[n] != 0)
        ++n;
    return QString::fromLatin1(reinterpret_cast<const char*>(bytes), n);
}

namespace {

float decimalScale(int exponent)
{
    float scale = 1.0f;
    for (int i = 0; i < exponent; ++i)
        scale *= 10.0f;
    for (int i = 0; i > exponent; --i)
        scale /= 10.0f;
    return scale;
}

int16_t signed16(const uint8_t* p) { return int16_t(uint16_t(p[0] | (p[1] << 8))); }

}  // namespace

void ParameterTable::beginDownload()
{
    for (uint16_t& count : kindCount)
        count = 0;
    std::memset(framesStored, 0, sizeof framesStored);
    incompleteCode = 0;
}

uint16_t ParameterTable::framesNeeded(uint32_t kind, uint32_t index) const
{
    constexpr uint16_t name = 1u << dfNameEnd;
    switch (kind) {
    case WritableString:
    case ReadOnlyString:
        return name | 1u << dfTextEnd;
    case WritableParam:
    case ReadOnlyParam: {
        const uint16_t limits = kind == WritableParam ? 1u << dfLimits : 0;
        const uint16_t tail = valueSize(valueTypeOf(kind, index)) > 4 ? 1u << dfValueTail : 0;
        return name | limits | 1u << dfValue | tail;
    }
    default:
        return 0;
    }
}

uint32_t ParameterTable::acceptDescriptor(uint8_t code, const uint8_t data[8], uint32_t previousCode)
{
    const uint16_t rawCode = uint16_t(data[0] | (data[1] << 8));
    DescriptorTarget target;
    target.index = indexOfCode(rawCode);
    target.kind = kindOfCode(rawCode);
    target.stored = target.index < kindCapacity(target.kind);
    if (target.index != lastFrameIndex)
        target.continuity = deIndexBreak;
    else if (target.kind != lastFrameKind)
        target.continuity = deKindBreak;
    else if (!target.stored)
        target.continuity = deBeyondCapacity;

    FrameOutcome outcome;
    switch (code) {
    case dfNameStart:
    case dfTextStart:
        startText(data);
        break;
    case dfNameMiddle:
    case dfTextMiddle:
        outcome = continueText(code, data, previousCode);
        break;
    case dfNameEnd:
    case dfTextEnd:
        outcome = endText(code, data, previousCode, target);
        break;
    case dfLimits:
        outcome = acceptLimits(data, target);
        break;
    case dfValue:
        outcome = acceptValue(data, target);
        break;
    case dfValueTail:
        outcome = acceptValueTail(data, target);
        break;
    default:  // above the end code: no such frame
        outcome.continuityCounts = true;
        outcome.continuityErrors = deIllegalCode;
        break;
    }

    const uint32_t raised = outcome.errors | countEntry(target);
    if (outcome.kept)
        framesStored[target.kind][target.index] = uint16_t(framesStored[target.kind][target.index] | 1u << code);
    lastFrameIndex = target.index;
    lastFrameKind = target.kind;
    return raised | (outcome.continuityCounts ? target.continuity | outcome.continuityErrors : 0);
}

void ParameterTable::startText(const uint8_t data[8])
{
    std::memset(textBuffer, 0, sizeof textBuffer);
    std::memcpy(textBuffer, data + 2, 6);
}

ParameterTable::FrameOutcome ParameterTable::continueText(uint8_t code, const uint8_t data[8], uint32_t previousCode)
{
    FrameOutcome outcome;
    outcome.continuityCounts = true;
    std::memcpy(textBuffer + 6, data + 2, 6);
    if (previousCode != (code == dfNameMiddle ? dfNameStart : dfTextStart))
        outcome.continuityErrors = deMissingFrame;
    return outcome;
}

ParameterTable::FrameOutcome ParameterTable::endText(uint8_t code, const uint8_t data[8], uint32_t previousCode,
                                                     const DescriptorTarget& target)
{
    FrameOutcome outcome;
    outcome.continuityCounts = true;
    std::memcpy(textBuffer + 12, data + 2, 4);
    textBuffer[16] = 0;
    if (previousCode != (code == dfNameEnd ? dfNameMiddle : dfTextMiddle)) {
        outcome.continuityErrors = deMissingFrame;
        return outcome;
    }
    if (!target.stored)
        return outcome;
    const uint16_t index = target.index;
    if (code == dfNameEnd) {
        outcome.kept = true;
        const QString text = latin1Text(textBuffer, 16);
        switch (target.kind) {
        case WritableString: writableStrings[index].name = text; break;
        case ReadOnlyString: readOnlyStrings[index].name = text; break;
        case WritableParam: writableParams[index].name = text; break;
        default: readOnlyParams[index].name = text; break;
        }
    } else if (target.kind == WritableString) {
        writableStrings[index].valueText = latin1Text(textBuffer, 16);
        outcome.kept = true;
    } else if (target.kind == ReadOnlyString) {
        readOnlyStrings[index].valueText = latin1Text(textBuffer, 16);
        outcome.kept = true;
    } else {
        outcome.continuityErrors = deCodeNotForKind;
    }
    return outcome;
}

ParameterTable::FrameOutcome ParameterTable::acceptLimits(const uint8_t data[8], const DescriptorTarget& target)
{
    FrameOutcome outcome;
    if (!target.stored)
        return outcome;
    if (target.kind == WritableParam) {
        WritableParamEntry& e = writableParams[target.index];
        e.valueType = data[7] & 0x1F;
        e.attribute = uint8_t(data[7] >> 5);
        const int exponent = int8_t(data[6]);
        e.decimals = uint8_t(exponent < 0 ? -exponent : 0);
        const float scale = decimalScale(exponent);
        e.maxValue = float(signed16(data + 4)) * scale;
        e.minValue = float(signed16(data + 2)) * scale;
        outcome.kept = true;
    } else if (target.kind == ReadOnlyParam) {
        readOnlyParams[target.index].valueType = data[7] & 0x1F;
        outcome.kept = true;
    } else {
        outcome.errors = deCodeNotForKind;
    }
    return outcome;
}

ParameterTable::FrameOutcome ParameterTable::acceptValue(const uint8_t data[8], const DescriptorTarget& target)
{
    FrameOutcome outcome;
    if (!target.stored)
        return outcome;
    if (target.kind == WritableParam) {
        writableParams[target.index].valueType = data[3];
        std::memcpy(writableParams[target.index].value, data + 4, 4);
        outcome.kept = true;
    } else if (target.kind == ReadOnlyParam) {
        readOnlyParams[target.index].valueType = data[3];
        std::memcpy(readOnlyParams[target.index].value, data + 4, 4);
        outcome.kept = true;
    } else {
        outcome.errors = deCodeNotForKind;
    }
    return outcome;
}

ParameterTable::FrameOutcome ParameterTable::acceptValueTail(const uint8_t data[8], const DescriptorTarget& target)
{
    FrameOutcome outcome;
    outcome.continuityCounts = true;
    if (!target.stored)
        return outcome;
    const bool numeric = target.kind == WritableParam || target.kind == ReadOnlyParam;
    if (target.kind == WritableParam)
        std::memcpy(writableParams[target.index].value + 4, data + 4, 4);
    else if (target.kind == ReadOnlyParam)
        std::memcpy(readOnlyParams[target.index].value + 4, data + 4, 4);
    else
        outcome.continuityErrors = deCodeNotForKind;
    // the second half only completes the value it continues
    outcome.kept = numeric && (target.continuity & (deIndexBreak | deKindBreak)) == 0;
    return outcome;
}

uint32_t ParameterTable::countEntry(const DescriptorTarget& target)
{
    if (target.kind >= 4)
        return 0;
    if (target.index > kindCount[target.kind])
        return deDiscontinuous;
    if (target.index == kindCount[target.kind]) {
        // The count never passes the storage: the rows it makes must exist.
        if (!target.stored)
            return deBeyondCapacity;
        kindCount[target.kind] = uint16_t(target.index + 1);
    }
    return 0;
}

uint32_t ParameterTable::acceptEndFrame(const uint8_t data[8])
{
    setupCount = data[0];
    uint32_t raised = 0;
    if (data[2] != kindCount[WritableString])
        raised |= deWritableStringCount;
    if (data[3] != kindCount[ReadOnlyString])
        raised |= deReadOnlyStringCount;
    if (uint16_t(data[4] | (data[5] << 8)) != kindCount[WritableParam])
        raised |= deWritableParamCount;
    if (uint16_t(data[6] | (data[7] << 8)) != kindCount[ReadOnlyParam])
        raised |= deReadOnlyParamCount;
    for (uint32_t k = 0; k < 4; ++k) {
        for (uint16_t i = 0; i < kindCount[k]; ++i) {
            const uint16_t needed = framesNeeded(k, i);
            if ((framesStored[k][i] & needed) != needed) {
                incompleteCode = functionCodeOf(k, i);
                return raised | deIncompleteEntry;
            }
        }
    }
    return raised;
}

void ParameterTable::layoutRows()
{
    uint16_t row = 0;
    for (int k = 0; k < 4; ++k) {
        firstRow[k] = row;
        row = uint16_t(row + kindCount[k]);
        lastRow[k] = uint16_t(row - 1);
    }
}

int ParameterTable::rowCount() const
{
    return kindCount[0] + kindCount[1] + kindCount[2] + kindCount[3];
}

bool ParameterTable::entryAtRow(int row, uint32_t& kind, uint16_t& index) const
{
    for (uint32_t k = 0; k < 4; ++k) {
        if (kindCount[k] > 0 && row >= firstRow[k] && row <= lastRow[k]) {
            kind = k;
            index = uint16_t(row - firstRow[k]);
            return true;
        }
    }
    return false;
}

bool ParameterTable::isModified(uint32_t kind, uint32_t index) const
{
    if (kind == WritableString && index < stringCapacity)
        return writableStrings[index].modified != 0;
    if (kind == WritableParam && index < paramCapacity)
        return writableParams[index].modified != 0;
    return false;
}

void ParameterTable::setModified(uint32_t kind, uint32_t index, bool on)
{
    if (kind == WritableString && index < stringCapacity)
        writableStrings[index].modified = on ? 1 : 0;
    else if (kind == WritableParam && index < paramCapacity)
        writableParams[index].modified = on ? 1 : 0;
}

bool ParameterTable::anyModified() const
{
    uint32_t kind = 0;
    uint16_t index = 0;
    return firstModified(kind, index);
}

void ParameterTable::clearModified()
{
    for (WritableStringEntry& e : writableStrings)
        e.modified = 0;
    for (WritableParamEntry& e : writableParams)
        e.modified = 0;
}

bool ParameterTable::firstModified(uint32_t& kind, uint16_t& index) const
{
    for (uint32_t k : {uint32_t(WritableString), uint32_t(WritableParam)}) {
        for (uint16_t i = 0; i < kindCount[k]; ++i) {
            if (isModified(k, i)) {
                kind = k;
                index = i;
                return true;
            }
        }
    }
    return false;
}

WriteStep ParameterTable::nextWrite(uint32_t& kind, uint16_t& index) const
{
    uint32_t k = kind;
    uint32_t i = index;
    const auto save = [&] {
        kind = 4;
        index = 0;
        return WriteStep::Save;
    };
    const auto write = [&] {
        kind = k;
        index = uint16_t(i);
        return WriteStep::WriteEntry;
    };
    for (;;) {
        if (k > 3)
            return save();
        if (i >= kindCount[k])
            return write();  // the executor refuses it
        ++i;
        if (i >= kindCount[k]) {
            i = 0;
            if (k == WritableString) {
                k = WritableParam;
                if (kindCount[WritableParam] == 0)
                    return save();
                if (isModified(k, 0))
                    return write();
                continue;
            }
            if (k == WritableParam)
                return save();
            return write();
        }
        if (k != WritableString && k != WritableParam)
            return write();
        if (isModified(k, i))
            return write();
    }
}

bool ParameterTable::nextRead(uint32_t& kind, uint16_t& index) const
{
    if (kind > 3)
        return false;
    if (uint32_t(index) + 1 < kindCount[kind]) {
        index = uint16_t(index + 1);
        return true;
    }
    for (uint32_t k = kind + 1; k < 4; ++k) {
        if (kindCount[k] > 0) {
            kind = k;
            index = 0;
            return true;
        }
    }
    kind = 4;
    index = 0;
    return false;
}

bool ParameterTable::firstRead(uint32_t& kind, uint16_t& index) const
{
    for (uint32_t k = 0; k < 4; ++k) {
        if (kindCount[k] > 0) {
            kind = k;
            index = 0;
            return true;
        }
    }
    kind = 0;
    index = 0;
    return false;
}

uint32_t ParameterTable::valueTypeOf(uint32_t kind, uint32_t index) const
{
    if (kind == WritableParam && index < paramCapacity)
        return writableParams[index].valueType;
    if (kind == ReadOnlyParam && index < paramCapacity)
        return readOnlyParams[index].valueType;
    return vtText;
}

const uint8_t* ParameterTable::valueOf(uint32_t kind, uint32_t index) const
{
    if (kind == WritableParam && index < paramCapacity)
        return writableParams[index].value;
    if (kind == ReadOnlyParam && index < paramCapacity)
        return readOnlyParams[index].value;
    return nullptr;
}
