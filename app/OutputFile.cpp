#include "OutputFile.h"

#include <fstream>

namespace fs = std::filesystem;

bool ReplaceFile(const fs::path& path, const std::function<bool(const fs::path& partial)>& write,
                 std::string& error)
{
    const fs::path partial = path.string() + ".partial";
    if (!write(partial))
    {
        error = "cannot write \"" + path.string() + "\"";
        return false;
    }
    std::error_code code;
    fs::rename(partial, path, code);
    if (code)
        error = "cannot write \"" + path.string() + "\": " + code.message();
    return !code;
}

bool WriteText(const fs::path& path, const std::string& text, std::string& error)
{
    return ReplaceFile(
        path,
        [&text](const fs::path& partial)
        {
            std::ofstream out(partial, std::ios::binary | std::ios::trunc);
            out << text;
            return static_cast<bool>(out.flush());
        },
        error);
}
