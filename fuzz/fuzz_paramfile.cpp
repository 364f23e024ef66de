// Arbitrary bytes as a parameter file: either refused with a problem that has
// a message, or read into entries that survive writing and reading again.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "params/paramfile.h"

// Qt 5.15's JSON reader leaks on objects with repeated keys around nested
// objects; this code allocates nothing by hand, so leaks are not looked for.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ParamFile file;
    ParamFileProblem problem;
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    if (!parseParamFile(bytes, file, problem)) {
        const Bilingual text = paramFileProblemText(problem);
        if (text.english.isEmpty() || text.chinese.isEmpty())
            std::abort();
        return 0;
    }
    ParamFile again;
    if (!parseParamFile(serializeParamFile(file), again, problem) || again.entries.size() != file.entries.size())
        std::abort();
    for (int i = 0; i < file.entries.size(); ++i)
        if (again.entries[i].value != file.entries[i].value || again.entries[i].name != file.entries[i].name)
            std::abort();
    return 0;
}
