// Array built-ins: size, clear, sort, and the intArray*, floatArray* and
// stringArray* procedures Maya ships, written once over the element type.

#include "mel/BuiltinArgs.h"

#include <algorithm>
#include <unordered_set>

namespace vxhost::mel
{
namespace
{

using Args = std::vector<Value>;

// What the shared procedures need to know of each element type.
template <typename T>
struct Elements;

template <>
struct Elements<int>
{
    static bool Array(const Args& a, std::size_t i, std::vector<int>& out, std::string& e) { return ArgInts(a, i, out, e); }
    static bool Item(const Args& a, std::size_t i, int& out, std::string& e) { return ArgInt(a, i, out, e); }
    static Value Make(std::vector<int> values) { return Value::Ints(std::move(values)); }
    static std::string Text(int value) { return std::to_string(value); }
};

template <>
struct Elements<double>
{
    static bool Array(const Args& a, std::size_t i, std::vector<double>& out, std::string& e) { return ArgFloats(a, i, out, e); }
    static bool Item(const Args& a, std::size_t i, double& out, std::string& e) { return ArgFloat(a, i, out, e); }
    static Value Make(std::vector<double> values) { return Value::Floats(std::move(values)); }
    static std::string Text(double value) { return FormatMelFloat(value); }
};

template <>
struct Elements<std::string>
{
    static bool Array(const Args& a, std::size_t i, std::vector<std::string>& out, std::string& e) { return ArgStrings(a, i, out, e); }
    static bool Item(const Args& a, std::size_t i, std::string& out, std::string& e) { return ArgString(a, i, out, e); }
    static Value Make(std::vector<std::string> values) { return Value::Strings(std::move(values)); }
    static std::string Text(const std::string& value) { return value; }
};

// xArrayContains(item, list): 1 if the item is in the list.
template <typename T>
bool Contains(Args& arguments, Value& result, std::string& error)
{
    T item{};
    std::vector<T> list;
    if (!Elements<T>::Item(arguments, 0, item, error) || !Elements<T>::Array(arguments, 1, list, error))
        return false;
    result = Value::Int(std::find(list.begin(), list.end(), item) != list.end() ? 1 : 0);
    return true;
}

// xArrayCount(item, list): how many times the item occurs.
template <typename T>
bool Count(Args& arguments, Value& result, std::string& error)
{
    T item{};
    std::vector<T> list;
    if (!Elements<T>::Item(arguments, 0, item, error) || !Elements<T>::Array(arguments, 1, list, error))
        return false;
    result = Value::Int(static_cast<int>(std::count(list.begin(), list.end(), item)));
    return true;
}

// xArrayFind(item, start, list): the first index at or after start holding
// the item, or -1.
template <typename T>
bool Find(Args& arguments, Value& result, std::string& error)
{
    T item{};
    int start = 0;
    std::vector<T> list;
    if (!Elements<T>::Item(arguments, 0, item, error) || !ArgInt(arguments, 1, start, error) ||
        !Elements<T>::Array(arguments, 2, list, error))
        return false;
    int found = -1;
    for (std::size_t i = static_cast<std::size_t>(std::max(start, 0)); i < list.size(); ++i)
        if (list[i] == item)
        {
            found = static_cast<int>(i);
            break;
        }
    result = Value::Int(found);
    return true;
}

// xArrayInsertAtIndex(index, list, item): the list (written back) gains the
// item at the index, or at its end for an index past it; a negative index
// changes nothing and gives 0.
template <typename T>
bool InsertAtIndex(Args& arguments, Value& result, std::string& error)
{
    int index = 0;
    std::vector<T> list;
    T item{};
    if (!ArgInt(arguments, 0, index, error) || !Elements<T>::Array(arguments, 1, list, error) ||
        !Elements<T>::Item(arguments, 2, item, error))
        return false;
    if (index < 0)
    {
        result = Value::Int(0);
        return true;
    }
    const std::size_t at = std::min(static_cast<std::size_t>(index), list.size());
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
    arguments[1] = Elements<T>::Make(std::move(list));
    result = Value::Int(1);
    return true;
}

// xArrayRemoveAtIndex(index, list): the list (written back) loses that
// element; an index outside it changes nothing and gives 0.
template <typename T>
bool RemoveAtIndex(Args& arguments, Value& result, std::string& error)
{
    int index = 0;
    std::vector<T> list;
    if (!ArgInt(arguments, 0, index, error) || !Elements<T>::Array(arguments, 1, list, error))
        return false;
    if (index < 0 || static_cast<std::size_t>(index) >= list.size())
    {
        result = Value::Int(0);
        return true;
    }
    list.erase(list.begin() + index);
    arguments[1] = Elements<T>::Make(std::move(list));
    result = Value::Int(1);
    return true;
}

// xArrayRemove(items, list): the list without any element found in items.
template <typename T>
bool Remove(Args& arguments, Value& result, std::string& error)
{
    std::vector<T> items;
    std::vector<T> list;
    if (!Elements<T>::Array(arguments, 0, items, error) || !Elements<T>::Array(arguments, 1, list, error))
        return false;
    std::erase_if(list, [&](const T& element) { return std::find(items.begin(), items.end(), element) != items.end(); });
    result = Elements<T>::Make(std::move(list));
    return true;
}

// stringArrayRemoveExact(items, list): each item removes one occurrence
// only, the first.
bool RemoveExact(Args& arguments, Value& result, std::string& error)
{
    std::vector<std::string> items;
    std::vector<std::string> list;
    if (!ArgStrings(arguments, 0, items, error) || !ArgStrings(arguments, 1, list, error))
        return false;
    for (const std::string& item : items)
    {
        const auto found = std::find(list.begin(), list.end(), item);
        if (found != list.end())
            list.erase(found);
    }
    result = Value::Strings(std::move(list));
    return true;
}

// xArrayRemoveDuplicates(list): first occurrences kept, in order.
template <typename T>
bool RemoveDuplicates(Args& arguments, Value& result, std::string& error)
{
    std::vector<T> list;
    if (!Elements<T>::Array(arguments, 0, list, error))
        return false;
    std::vector<T> unique;
    for (T& element : list)
        if (std::find(unique.begin(), unique.end(), element) == unique.end())
            unique.push_back(std::move(element));
    result = Elements<T>::Make(std::move(unique));
    return true;
}

// xArrayToString(list, separator).
template <typename T>
bool ToText(Args& arguments, Value& result, std::string& error)
{
    std::vector<T> list;
    std::string separator;
    if (!Elements<T>::Array(arguments, 0, list, error) || !ArgString(arguments, 1, separator, error))
        return false;
    std::string text;
    for (std::size_t i = 0; i < list.size(); ++i)
    {
        if (i > 0)
            text += separator;
        text += Elements<T>::Text(list[i]);
    }
    result = Value::String(std::move(text));
    return true;
}

bool Catenate(Args& arguments, Value& result, std::string& error)
{
    std::vector<std::string> first;
    std::vector<std::string> second;
    if (!ArgStrings(arguments, 0, first, error) || !ArgStrings(arguments, 1, second, error))
        return false;
    first.insert(first.end(), std::make_move_iterator(second.begin()), std::make_move_iterator(second.end()));
    result = Value::Strings(std::move(first));
    return true;
}

// size(string) is its length, size(array) its element count.
bool Size(Args& arguments, Value& result, std::string& error)
{
    const Value& x = arguments[0];
    if (IsArray(x.GetType()))
    {
        result = Value::Int(static_cast<int>(x.Size()));
        return true;
    }
    std::string s;
    if (!ArgString(arguments, 0, s, error))
        return false;
    result = Value::Int(static_cast<int>(s.size()));
    return true;
}

// clear(array) empties the caller's array (written back).
bool Clear(Args& arguments, Value& result, std::string& error)
{
    const Type type = arguments[0].GetType();
    if (!IsArray(type))
    {
        error = "Argument 1 must be an array; it is of type " + std::string(TypeName(type)) + ".";
        return false;
    }
    arguments[0] = Value::Default(type);
    result = Value::Int(1);
    return true;
}

// sort(array): a sorted copy, numbers ascending, strings by byte order
// (so upper case before lower case, as Maya sorts).
bool Sort(Args& arguments, Value& result, std::string& error)
{
    Value sorted = arguments[0];
    switch (sorted.GetType())
    {
    case Type::kIntArray: std::sort(sorted.ia.begin(), sorted.ia.end()); break;
    case Type::kFloatArray: std::sort(sorted.fa.begin(), sorted.fa.end()); break;
    case Type::kStringArray: std::sort(sorted.sa.begin(), sorted.sa.end()); break;
    default:
        error = std::string("Cannot sort data of type ") + TypeName(sorted.GetType()) + ".";
        return false;
    }
    result = std::move(sorted);
    return true;
}

constexpr Builtin kArrays[] = {
    {"size", 1, 1, 0, Size},
    {"clear", 1, 1, 1u << 0, Clear},
    {"sort", 1, 1, 0, Sort},
    {"intArrayContains", 2, 2, 0, Contains<int>},
    {"intArrayCount", 2, 2, 0, Count<int>},
    {"intArrayFind", 3, 3, 0, Find<int>},
    {"intArrayInsertAtIndex", 3, 3, 1u << 1, InsertAtIndex<int>},
    {"intArrayRemoveAtIndex", 2, 2, 1u << 1, RemoveAtIndex<int>},
    {"intArrayRemove", 2, 2, 0, Remove<int>},
    {"intArrayRemoveDuplicates", 1, 1, 0, RemoveDuplicates<int>},
    {"intArrayToString", 2, 2, 0, ToText<int>},
    {"floatArrayContains", 2, 2, 0, Contains<double>},
    {"floatArrayCount", 2, 2, 0, Count<double>},
    {"floatArrayFind", 3, 3, 0, Find<double>},
    {"floatArrayInsertAtIndex", 3, 3, 1u << 1, InsertAtIndex<double>},
    {"floatArrayRemoveAtIndex", 2, 2, 1u << 1, RemoveAtIndex<double>},
    {"floatArrayRemove", 2, 2, 0, Remove<double>},
    {"floatArrayRemoveDuplicates", 1, 1, 0, RemoveDuplicates<double>},
    {"floatArrayToString", 2, 2, 0, ToText<double>},
    {"stringArrayContains", 2, 2, 0, Contains<std::string>},
    {"stringArrayCount", 2, 2, 0, Count<std::string>},
    {"stringArrayFind", 3, 3, 0, Find<std::string>},
    {"stringArrayInsertAtIndex", 3, 3, 1u << 1, InsertAtIndex<std::string>},
    {"stringArrayRemoveAtIndex", 2, 2, 1u << 1, RemoveAtIndex<std::string>},
    {"stringArrayRemove", 2, 2, 0, Remove<std::string>},
    {"stringArrayRemoveExact", 2, 2, 0, RemoveExact},
    {"stringArrayRemoveDuplicates", 1, 1, 0, RemoveDuplicates<std::string>},
    {"stringArrayToString", 2, 2, 0, ToText<std::string>},
    {"stringArrayCatenate", 2, 2, 0, Catenate},
};

} // namespace

std::span<const Builtin> ArrayBuiltins()
{
    return kArrays;
}

} // namespace vxhost::mel
