#pragma once
/// \file ScriptArgs.h
/// Reading a statement's arguments in a command: which flags a command
/// accepts (ScriptSyntax), the statement sorted by it (ScriptArgs), and typed
/// access to values that names the offending flag and value on failure
/// (ScriptValues).
///
///     static const ScriptSyntax syntax = ScriptSyntax()
///                                            .AddFlag("d", "degree", 1)
///                                            .AddMultiUseFlag("p", "point", 3)
///                                            .AddMultiUseFlag("k", "knot", 1)
///                                            .AddFlag("n", "name", 1);
///     ScriptArgs args;
///     MStatus status = args.Parse(statement, syntax);
///     if (!status)
///         return status;
///     int degree = 3;                                    // the default
///     status = args.ReadFlagValue("degree", degree);    // "-d 3" or "-degree 3"
///     if (!status)
///         return status;
///     for (unsigned use = 0; use < args.FlagUseCount("p"); ++use)
///     {
///         double xyz[3];
///         status = args.Flag("p", use).GetDoubles(0, 3, xyz);
///         if (!status)
///             return status;   // "curve: Flag -p expects a number, got \"x\"."
///         ...
///     }
///
/// Every failure is reported through ReportCommandError (so it is placed by
/// file, line and command) and returned as kInvalidParameter; the command
/// only passes the status on.

#include <maya/MStatus.h>
#include <vxhost/Script.h>

#include <climits>
#include <string>
#include <string_view>
#include <vector>

namespace vxhost
{

/// The flags a command accepts and how many values each takes, and how many
/// positional (non-flag) arguments it accepts. Built once per command,
/// usually as a function-local static.
class ScriptSyntax
{
public:
    static constexpr unsigned kUnlimited = UINT_MAX;

    /// A flag by its short and long name, without the '-' (a script may use
    /// either), taking the `valueCount` arguments that follow it (0 for a
    /// switch such as "select -r"). It may be given once per statement.
    ScriptSyntax& AddFlag(std::string shortName, std::string longName, unsigned valueCount = 0);
    /// Same, for a flag that may be given several times, each use with its
    /// own values ("curve -p 0 0 0 -p 1 0 0").
    ScriptSyntax& AddMultiUseFlag(std::string shortName, std::string longName, unsigned valueCount);
    /// Accepts -q/-query. In query mode no flag takes values, as in Maya
    /// ("currentUnit -q -l", "xform -q -t goal").
    ScriptSyntax& EnableQuery();
    /// Accepts -e/-edit.
    ScriptSyntax& EnableEdit();
    /// How many positional arguments the command takes, in every mode
    /// (by default any number).
    ScriptSyntax& SetPositionalCount(unsigned minimum, unsigned maximum = kUnlimited);

private:
    friend class ScriptArgs;

    struct FlagDeclaration
    {
        std::string shortName;
        std::string longName;
        unsigned valueCount = 0;
        bool multiUse = false;
    };

    // The declaration that `name` (short or long) refers to, or -1.
    int Find(std::string_view name) const;

    std::vector<FlagDeclaration> fFlags;
    bool fQuery = false;
    bool fEdit = false;
    unsigned fMinPositional = 0;
    unsigned fMaxPositional = kUnlimited;
};

/// A run of values from a statement: those of one use of a flag, or the
/// positional arguments. Valid while the ScriptArgs it came from is.
///
/// The getters fail (reporting, and returning kInvalidParameter) when the
/// value is missing or of the wrong kind, naming the flag as it was written
/// ("Flag -p expects a number, got \"x\".") or the position among the
/// positional arguments, from 1 ("Argument 2 expects an integer, got
/// \"2.5\".").
class ScriptValues
{
public:
    unsigned Count() const { return static_cast<unsigned>(fValues->size()); }
    /// The value as parsed; index < Count().
    const ScriptArgument& operator[](unsigned index) const { return *(*fValues)[index]; }

    /// A number: a number argument, a string holding exactly a number, or
    /// one of MEL's boolean words (true, on, yes = 1; false, off, no = 0).
    MStatus GetDouble(unsigned index, double& out) const;
    /// A number (as GetDouble) with a whole value in int's range.
    MStatus GetInt(unsigned index, int& out) const;
    /// true, on, yes / false, off, no, or a number (non-zero is true).
    MStatus GetBool(unsigned index, bool& out) const;
    /// Any value as text: a string's contents, a number or word as written.
    MStatus GetString(unsigned index, std::string& out) const;
    /// `count` numbers from value `first` on, into out[0] .. out[count - 1].
    MStatus GetDoubles(unsigned first, unsigned count, double* out) const;

private:
    friend class ScriptArgs;

    ScriptValues() = default;
    MStatus Missing(unsigned index, const char* expected) const;
    MStatus Wrong(unsigned index, const char* expected) const;

    const ScriptStatement* fStatement = nullptr;
    const std::vector<const ScriptArgument*>* fValues = nullptr;
    // "flag -p" as written, or "" for positional arguments.
    std::string fFlagLabel;
};

/// A statement's arguments sorted by a ScriptSyntax: each flag takes the
/// arguments that follow it, as many as declared; the others are positional,
/// in order. Flags are looked up by either name.
class ScriptArgs
{
public:
    /// Sorts `statement` by `syntax`. The statement must outlive this
    /// object (values point into it); the syntax is copied. Fails, reporting,
    /// on an undeclared flag ("Invalid flag \"-foo\"."), a flag without its
    /// values ("Flag -p expects 3 values, got 1." -- a value is any argument
    /// but a flag), a single-use flag given twice ("Flag -n may be given only
    /// once."), -q together with -e, and a number of positional arguments
    /// outside the syntax's range ("Expected 1 argument, got 2.").
    MStatus Parse(const ScriptStatement& statement, const ScriptSyntax& syntax);

    const ScriptStatement& Statement() const { return *fStatement; }
    /// -q/-query was given (and the syntax allows it).
    bool IsQuery() const { return fQuery; }
    /// -e/-edit was given (and the syntax allows it).
    bool IsEdit() const { return fEdit; }

    /// Whether the flag was given; `name` is its short or long name.
    bool IsFlagSet(std::string_view name) const { return FlagUseCount(name) > 0; }
    unsigned FlagUseCount(std::string_view name) const;
    /// The values of use `use` (0 for the first) of the flag; none when the
    /// flag was not given that often (or in query mode).
    ScriptValues Flag(std::string_view name, unsigned use = 0) const;
    /// The positional arguments in order.
    ScriptValues Positionals() const;

    /// The flag's first value, if the flag was given; `out` keeps its value
    /// (the command's default) otherwise.
    MStatus ReadFlagValue(std::string_view name, double& out) const;
    MStatus ReadFlagValue(std::string_view name, int& out) const;
    MStatus ReadFlagValue(std::string_view name, bool& out) const;
    MStatus ReadFlagValue(std::string_view name, std::string& out) const;

private:
    struct FlagUse
    {
        int flag;             // index into the syntax's declarations
        std::string spelling; // as written, for messages
        std::vector<const ScriptArgument*> values;
    };

    const ScriptStatement* fStatement = nullptr;
    ScriptSyntax fSyntax;
    bool fQuery = false;
    bool fEdit = false;
    std::vector<FlagUse> fUses;
    std::vector<const ScriptArgument*> fPositionals;
};

} // namespace vxhost
