// Reading a script into its tree, and telling an unfinished script from a
// faulty one.

#include "mel/Parser.h"

#include "mel/ScriptReader.h"

#include <vxhost/Script.h>

namespace vxhost::mel
{

bool Parse(std::string_view text, const std::string& file, Program& out, std::string& error, ParseOptions options)
{
    ScriptReader reader(text, file, options);
    try
    {
        reader.ParseProgram(out);
        return true;
    }
    catch (const SyntaxError& e)
    {
        error = ScriptLocation(file, e.line) + "Syntax error: " + e.message;
        return false;
    }
}

Completeness CheckCompleteness(std::string_view text)
{
    Program program;
    ScriptReader reader(text, std::string(), ParseOptions());
    try
    {
        reader.ParseProgram(program);
        return Completeness::kComplete;
    }
    catch (const SyntaxError& e)
    {
        if (!e.atEnd)
            return Completeness::kComplete;
        return e.missingSemicolon ? Completeness::kMissingSemicolon : Completeness::kOpen;
    }
}

} // namespace vxhost::mel
