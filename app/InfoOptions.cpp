#include "app/InfoOptions.h"

#include <cstdio>
#include <cstring>

#include "chip/Version.h"

std::optional<int> answerInfoOptions(int argc, char** argv, const QString& program,
                                     const QString& usage) {
    for (int i = 1; i < argc; ++i) {
        QString text;
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            text = usage;
        else if (std::strcmp(argv[i], "--version") == 0)
            text = versionText(program);
        else
            continue;
        std::fputs(text.toUtf8().constData(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    return std::nullopt;
}
