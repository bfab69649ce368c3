#pragma once
/// \file Lexer.h
/// The scanner under the Parser. MEL's tokens depend on where they stand:
/// in an expression `-` is an operator and `goal.tx` is an error, while in a
/// command's arguments `-n` is a flag and `goal.tx` a word. So the Parser
/// asks for the kind of token it expects next, and may go back to a saved
/// place to try another reading.

#include <cstddef>
#include <string>
#include <string_view>

namespace vxhost::mel
{

struct Token
{
    enum class Kind
    {
        kEnd,
        kError,    ///< text is the message
        kName,     ///< a name: a keyword, a procedure or command, true/false
        kVariable, ///< text is the name without '$'
        kInt,      ///< number holds the value
        kFloat,    ///< number holds the value
        kString,   ///< text is the contents, escapes resolved
        kPunct     ///< op is the character, or a two-character code (see Lexer::Code)
    };
    Kind kind = Kind::kEnd;
    std::string text;
    double number = 0.0;
    int op = 0;
    int line = 1;
    /// Whether white space or a comment came before the token.
    bool spaced = false;

    bool Is(int punct) const { return kind == Kind::kPunct && op == punct; }
    bool IsName(std::string_view name) const { return kind == Kind::kName && text == name; }
};

class Lexer
{
public:
    explicit Lexer(std::string_view text) : fText(text) {}

    /// The code of a two-character operator: Code('+', '=') for "+=".
    static constexpr int Code(char a, char b) { return (static_cast<unsigned char>(a) << 8) | static_cast<unsigned char>(b); }

    struct Place
    {
        std::size_t pos = 0;
        int line = 1;
    };
    Place Save() const { return {fPos, fLine}; }
    void Restore(Place place) { fPos = place.pos, fLine = place.line; }
    int Line() const { return fLine; }

    /// The next token of an expression.
    Token Next();
    Token Peek();

    /// The next argument of a command in command form, when it is one of
    /// the pieces written literally: a flag, a number, a string or a word.
    /// Returns kEnd at ';', '}', ')', a closing '`' and the end of the text,
    /// and kPunct ('$', '(', '{', '<' for "<<", '`') where an expression
    /// starts; neither is consumed, so the Parser reads on from there. A
    /// number is a kFloat whose text is the number as written.
    /// A flag is a kName whose text starts with '-'; a word is a kName.
    Token NextCommandArgument(bool insideBackticks);

    /// Skips white space and comments; false (with error set) for a comment
    /// that never ends.
    bool SkipSpace(std::string& error);

private:
    Token LexNumber(int line, bool spaced);
    Token LexString(int line, bool spaced);
    Token Error(int line, std::string message) const;
    /// Steps over the line end at fPos (CR, LF or CR LF) and counts it.
    void SkipLineEnd();

    std::string_view fText;
    std::size_t fPos = 0;
    int fLine = 1;
};

/// A character as a message shows it: 'x', or '\x00' for bytes that do not print.
std::string DescribeChar(char c);

} // namespace vxhost::mel
