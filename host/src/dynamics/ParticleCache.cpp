#include "ParticleCache.h"

#include "ParticleNode.h"
#include "dg/DataObjects.h"
#include "dg/Scene.h"

#include <maya/MFnData.h>
#include <maya/MFnTypedAttribute.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/OutputFile.h>

#include <tbb/parallel_for.h>

#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <unordered_set>

namespace vxhost
{
namespace
{
static_assert(sizeof(MVector) == 3 * sizeof(double), "vector arrays are read as packed x y z doubles");
static_assert(std::endian::native == std::endian::little,
              "the cache byte order code assumes a little-endian host");

// PDC type codes, as Maya writes them.
enum PdcType : std::int32_t
{
    kPdcInt = 0,
    kPdcIntArray = 1,
    kPdcDouble = 2,
    kPdcDoubleArray = 3,
    kPdcVector = 4,
    kPdcVectorArray = 5
};

// ---------------------------------------------------------------------------
// Bytes

void PutBig32(char*& at, std::int32_t value)
{
    const std::uint32_t swapped = __builtin_bswap32(static_cast<std::uint32_t>(value));
    std::memcpy(at, &swapped, 4);
    at += 4;
}

void PutBigDouble(char*& at, double value)
{
    const std::uint64_t swapped = __builtin_bswap64(std::bit_cast<std::uint64_t>(value));
    std::memcpy(at, &swapped, 8);
    at += 8;
}

// A cursor over file contents that never reads past the end and says where
// and while reading what it ran out.
class ByteReader
{
public:
    ByteReader(std::string_view bytes, std::string& error) : fBytes(bytes), fError(error) {}

    std::size_t Position() const { return fAt; }
    std::size_t Left() const { return fBytes.size() - fAt; }

    bool Need(std::size_t count, const char* what)
    {
        if (count <= Left())
            return true;
        fError = "truncated at byte " + std::to_string(fAt) + " (" + what + ")";
        return false;
    }
    bool Big32(const char* what, std::int32_t& out)
    {
        if (!Need(4, what))
            return false;
        std::uint32_t raw;
        std::memcpy(&raw, fBytes.data() + fAt, 4);
        out = static_cast<std::int32_t>(__builtin_bswap32(raw));
        fAt += 4;
        return true;
    }
    // Callers check Need() for the whole array first.
    double BigDoubleUnchecked()
    {
        std::uint64_t raw;
        std::memcpy(&raw, fBytes.data() + fAt, 8);
        fAt += 8;
        return std::bit_cast<double>(__builtin_bswap64(raw));
    }
    std::int32_t Big32Unchecked()
    {
        std::uint32_t raw;
        std::memcpy(&raw, fBytes.data() + fAt, 4);
        fAt += 4;
        return static_cast<std::int32_t>(__builtin_bswap32(raw));
    }
    std::string_view Take(std::size_t count)
    {
        const std::string_view taken = fBytes.substr(fAt, count);
        fAt += count;
        return taken;
    }
    void Skip(std::size_t count) { fAt += count; }

private:
    std::string_view fBytes;
    std::size_t fAt = 0;
    std::string& fError;
};

bool IsAttributeName(std::string_view name)
{
    if (name.empty() || name.size() > 255)
        return false;
    for (std::size_t i = 0; i < name.size(); ++i)
    {
        const char c = name[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
        if (!letter && !(i > 0 && c >= '0' && c <= '9'))
            return false;
    }
    return true;
}

// Names of the flat columns of a frame, as PLY and CSV write them: a vector
// channel becomes three; PLY keeps the names readers expect for position and
// velocity.
struct Column
{
    std::string name;
    const double* values; // first value of the column
    std::size_t stride;   // doubles between consecutive particles
};

std::vector<Column> Columns(const ParticleCacheFrame& frame, bool plyNames)
{
    std::vector<Column> columns;
    for (const CacheChannel& channel : frame.channels)
    {
        if (const MDoubleArray* doubles = std::get_if<MDoubleArray>(&channel.values))
        {
            columns.push_back({channel.name, doubles->data(), 1});
            continue;
        }
        const MVector* vectors = std::get<MVectorArray>(channel.values).data();
        const double* xyz = vectors ? &vectors->x : nullptr;
        const char* const* names = nullptr;
        static const char* const kPosition[] = {"x", "y", "z"};
        static const char* const kVelocity[] = {"vx", "vy", "vz"};
        if (plyNames && channel.name == "position")
            names = kPosition;
        else if (plyNames && channel.name == "velocity")
            names = kVelocity;
        for (int c = 0; c < 3; ++c)
            columns.push_back(
                {names ? std::string(names[c]) : channel.name + "_" + "xyz"[c], xyz ? xyz + c : nullptr, 3});
    }
    return columns;
}

// Channels from flat columns: x y z make position, vx vy vz velocity, and
// N_x N_y N_z (in that order, side by side) the vector N; any other column
// is a double array.
bool ChannelsFromColumns(const std::vector<std::string>& names, std::vector<std::vector<double>>& columns,
                         unsigned count, ParticleCacheFrame& out, std::string& error)
{
    out.count = count;
    out.channels.clear();
    std::unordered_set<std::string> seen;
    for (std::size_t c = 0; c < names.size();)
    {
        std::string vectorName;
        if (c + 2 < names.size())
        {
            const std::string& n = names[c];
            if (n == "x" && names[c + 1] == "y" && names[c + 2] == "z")
                vectorName = "position";
            else if (n == "vx" && names[c + 1] == "vy" && names[c + 2] == "vz")
                vectorName = "velocity";
            else if (n.size() > 2 && n.ends_with("_x"))
            {
                const std::string stem = n.substr(0, n.size() - 2);
                if (names[c + 1] == stem + "_y" && names[c + 2] == stem + "_z")
                    vectorName = stem;
            }
        }
        CacheChannel channel;
        if (!vectorName.empty())
        {
            MVectorArray vectors(count);
            for (unsigned i = 0; i < count; ++i)
                vectors[i] = MVector(columns[c][i], columns[c + 1][i], columns[c + 2][i]);
            channel.name = vectorName;
            channel.values = std::move(vectors);
            c += 3;
        }
        else
        {
            channel.name = names[c];
            channel.values = MDoubleArray(columns[c].data(), count);
            c += 1;
        }
        // By a set, not a search: a cache may have many thousands of columns.
        if (!seen.insert(channel.name).second)
        {
            error = "the attribute \"" + channel.name + "\" appears twice";
            return false;
        }
        out.channels.push_back(std::move(channel));
    }
    return true;
}

// ---------------------------------------------------------------------------
// PDC

void EncodePdc(const ParticleCacheFrame& frame, std::string& out)
{
    std::size_t size = 4 + 6 * 4;
    for (const CacheChannel& channel : frame.channels)
        size += 4 + channel.name.size() + 4 + std::size_t{frame.count} * (channel.IsVector() ? 24 : 8);
    const std::size_t begin = out.size();
    out.resize(begin + size);
    char* at = out.data() + begin;
    std::memcpy(at, "PDC ", 4);
    at += 4;
    PutBig32(at, 1); // format version
    PutBig32(at, 1); // byte order: big-endian
    PutBig32(at, 0); // two reserved ints Maya writes as zero
    PutBig32(at, 0);
    PutBig32(at, static_cast<std::int32_t>(frame.count));
    PutBig32(at, static_cast<std::int32_t>(frame.channels.size()));
    for (const CacheChannel& channel : frame.channels)
    {
        PutBig32(at, static_cast<std::int32_t>(channel.name.size()));
        std::memcpy(at, channel.name.data(), channel.name.size());
        at += channel.name.size();
        if (const MDoubleArray* doubles = std::get_if<MDoubleArray>(&channel.values))
        {
            PutBig32(at, kPdcDoubleArray);
            for (unsigned i = 0; i < frame.count; ++i)
                PutBigDouble(at, (*doubles)[i]);
        }
        else
        {
            PutBig32(at, kPdcVectorArray);
            const MVectorArray& vectors = std::get<MVectorArray>(channel.values);
            for (unsigned i = 0; i < frame.count; ++i)
            {
                PutBigDouble(at, vectors[i].x);
                PutBigDouble(at, vectors[i].y);
                PutBigDouble(at, vectors[i].z);
            }
        }
    }
}

bool DecodePdc(std::string_view bytes, ParticleCacheFrame& out, std::string& error)
{
    ByteReader in(bytes, error);
    if (!in.Need(4, "the \"PDC \" header") || in.Take(4) != "PDC ")
    {
        if (error.empty())
            error = "not a PDC file: it does not start with \"PDC \"";
        return false;
    }
    std::int32_t version = 0, byteOrder = 0, reserved = 0, count = 0, attributes = 0;
    if (!in.Big32("the format version", version))
        return false;
    if (version != 1)
    {
        error = "format version " + std::to_string(version) + " is not supported (only 1 is)";
        return false;
    }
    if (!in.Big32("the byte order", byteOrder))
        return false;
    if (byteOrder != 1)
    {
        error = "byte order " + std::to_string(byteOrder) + " is not supported (only 1, big-endian, is)";
        return false;
    }
    if (!in.Big32("the reserved ints", reserved) || !in.Big32("the reserved ints", reserved) ||
        !in.Big32("the particle count", count) || !in.Big32("the attribute count", attributes))
        return false;
    if (count < 0 || attributes < 0)
    {
        error = "negative " + std::string(count < 0 ? "particle" : "attribute") + " count " +
                std::to_string(count < 0 ? count : attributes);
        return false;
    }
    out.count = static_cast<unsigned>(count);
    out.channels.clear();
    std::unordered_set<std::string> seen;
    const std::size_t n = out.count;
    for (std::int32_t a = 0; a < attributes; ++a)
    {
        std::int32_t nameLength = 0, type = 0;
        if (!in.Big32("an attribute name length", nameLength))
            return false;
        if (nameLength <= 0)
        {
            error =
                "attribute " + std::to_string(a + 1) + " has a name length of " + std::to_string(nameLength);
            return false;
        }
        if (!in.Need(static_cast<std::size_t>(nameLength), "an attribute name"))
            return false;
        CacheChannel channel;
        channel.name = std::string(in.Take(static_cast<std::size_t>(nameLength)));
        const std::string label = "the values of \"" + channel.name + "\"";
        if (!in.Big32("an attribute type", type))
            return false;
        switch (type)
        {
        case kPdcInt:
        case kPdcDouble:
        case kPdcVector:
        {
            // A per-object value: nothing on a particle shape keeps it.
            const std::size_t size = type == kPdcInt ? 4 : type == kPdcDouble ? 8 : 24;
            if (!in.Need(size, label.c_str()))
                return false;
            in.Skip(size);
            continue;
        }
        case kPdcIntArray:
        {
            if (!in.Need(n * 4, label.c_str()))
                return false;
            MDoubleArray values(static_cast<unsigned>(n));
            for (std::size_t i = 0; i < n; ++i)
                values[static_cast<unsigned>(i)] = in.Big32Unchecked();
            channel.values = std::move(values);
            break;
        }
        case kPdcDoubleArray:
        {
            if (!in.Need(n * 8, label.c_str()))
                return false;
            MDoubleArray values(static_cast<unsigned>(n));
            for (std::size_t i = 0; i < n; ++i)
                values[static_cast<unsigned>(i)] = in.BigDoubleUnchecked();
            channel.values = std::move(values);
            break;
        }
        case kPdcVectorArray:
        {
            if (!in.Need(n * 24, label.c_str()))
                return false;
            MVectorArray values(static_cast<unsigned>(n));
            for (MVector& v : values)
            {
                v.x = in.BigDoubleUnchecked();
                v.y = in.BigDoubleUnchecked();
                v.z = in.BigDoubleUnchecked();
            }
            channel.values = std::move(values);
            break;
        }
        default:
            error = "attribute \"" + channel.name + "\" has unknown type " + std::to_string(type) +
                    " (at byte " + std::to_string(in.Position() - 4) + ")";
            return false;
        }
        if (!seen.insert(channel.name).second)
        {
            error = "the attribute \"" + channel.name + "\" appears twice";
            return false;
        }
        out.channels.push_back(std::move(channel));
    }
    if (in.Left() != 0)
    {
        error = std::to_string(in.Left()) + " unexpected bytes after the last attribute (at byte " +
                std::to_string(in.Position()) + ")";
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// PLY

void EncodePly(const ParticleCacheFrame& frame, std::string& out)
{
    const std::vector<Column> columns = Columns(frame, true);
    std::string header = "ply\nformat binary_little_endian 1.0\ncomment Volarix particle cache\n";
    header += "element vertex " + std::to_string(frame.count) + "\n";
    for (const Column& column : columns)
        header += "property double " + column.name + "\n";
    header += "end_header\n";
    const std::size_t begin = out.size();
    out.resize(begin + header.size() + std::size_t{frame.count} * columns.size() * 8);
    char* at = out.data() + begin;
    std::memcpy(at, header.data(), header.size());
    at += header.size();
    // Row by row, as PLY stores vertices; the host is little-endian. Rows
    // without columns are empty, however many particles there are.
    for (std::size_t i = 0; i < frame.count && !columns.empty(); ++i)
        for (const Column& column : columns)
        {
            std::memcpy(at, column.values + i * column.stride, 8);
            at += 8;
        }
}

struct PlyProperty
{
    std::string name;
    int size = 0;    // bytes
    char kind = 'f'; // 'i' signed, 'u' unsigned, 'f' floating point
};

bool PlyType(std::string_view type, PlyProperty& p)
{
    static const std::map<std::string_view, std::pair<int, char>> kTypes = {
        {"char", {1, 'i'}},  {"int8", {1, 'i'}},    {"uchar", {1, 'u'}},  {"uint8", {1, 'u'}},
        {"short", {2, 'i'}}, {"int16", {2, 'i'}},   {"ushort", {2, 'u'}}, {"uint16", {2, 'u'}},
        {"int", {4, 'i'}},   {"int32", {4, 'i'}},   {"uint", {4, 'u'}},   {"uint32", {4, 'u'}},
        {"float", {4, 'f'}}, {"float32", {4, 'f'}}, {"double", {8, 'f'}}, {"float64", {8, 'f'}}};
    const auto it = kTypes.find(type);
    if (it == kTypes.end())
        return false;
    p.size = it->second.first;
    p.kind = it->second.second;
    return true;
}

double PlyValue(const char* at, const PlyProperty& p, bool bigEndian)
{
    unsigned char raw[8];
    std::memcpy(raw, at, static_cast<std::size_t>(p.size));
    if (bigEndian)
        for (int i = 0; i < p.size / 2; ++i)
            std::swap(raw[i], raw[p.size - 1 - i]);
    switch (p.size * 4 + (p.kind == 'i' ? 0 : p.kind == 'u' ? 1 : 2))
    {
    case 4:
        return static_cast<std::int8_t>(raw[0]);
    case 5:
        return raw[0];
    case 8:
    {
        std::int16_t v;
        std::memcpy(&v, raw, 2);
        return v;
    }
    case 9:
    {
        std::uint16_t v;
        std::memcpy(&v, raw, 2);
        return v;
    }
    case 16:
    {
        std::int32_t v;
        std::memcpy(&v, raw, 4);
        return v;
    }
    case 17:
    {
        std::uint32_t v;
        std::memcpy(&v, raw, 4);
        return v;
    }
    case 18:
    {
        float v;
        std::memcpy(&v, raw, 4);
        return v;
    }
    default:
    {
        double v;
        std::memcpy(&v, raw, 8);
        return v;
    }
    }
}

bool DecodePly(std::string_view bytes, ParticleCacheFrame& out, std::string& error)
{
    if (!bytes.starts_with("ply\n") && !bytes.starts_with("ply\r\n"))
    {
        error = "not a PLY file: it does not start with \"ply\"";
        return false;
    }
    const std::size_t end = bytes.find("end_header");
    const std::size_t dataStart = end == std::string_view::npos ? end : bytes.find('\n', end);
    if (dataStart == std::string_view::npos)
    {
        error = "the header has no \"end_header\" line";
        return false;
    }
    struct Element
    {
        std::string name;
        unsigned long long count = 0;
        std::vector<PlyProperty> properties;
        bool hasList = false;
    };
    std::vector<Element> elements;
    bool bigEndian = false;
    bool haveFormat = false;
    std::string_view header = bytes.substr(0, end);
    int lineNumber = 0;
    while (!header.empty())
    {
        const std::size_t eol = header.find('\n');
        std::string_view line = header.substr(0, eol);
        header = eol == std::string_view::npos ? std::string_view() : header.substr(eol + 1);
        ++lineNumber;
        // CR separates words as space and tab do: besides the CR of a CR LF
        // line end, a stray one ("vz\r\r\n") would end up in a name that
        // written back reads as another.
        std::vector<std::string_view> words;
        for (std::size_t at = 0; at < line.size();)
        {
            const std::size_t start = line.find_first_not_of(" \t\r", at);
            if (start == std::string_view::npos)
                break;
            const std::size_t stop = std::min(line.find_first_of(" \t\r", start), line.size());
            words.push_back(line.substr(start, stop - start));
            at = stop;
        }
        const std::string where = "header line " + std::to_string(lineNumber) + ": ";
        if (words.empty() || words[0] == "ply" || words[0] == "comment" || words[0] == "obj_info")
            continue;
        if (words[0] == "format")
        {
            if (words.size() != 3 || (words[1] != "binary_little_endian" && words[1] != "binary_big_endian"))
            {
                error = where + "only binary PLY is read (format binary_little_endian or binary_big_endian)";
                return false;
            }
            bigEndian = words[1] == "binary_big_endian";
            haveFormat = true;
        }
        else if (words[0] == "element")
        {
            Element element;
            const char* last = words.size() == 3 ? words[2].data() + words[2].size() : nullptr;
            // A count past 64 bits is read to its end but out of range, and
            // leaves the count at 0: that is an error too.
            std::from_chars_result parsed{};
            if (words.size() == 3)
                parsed = std::from_chars(words[2].data(), last, element.count);
            if (words.size() != 3 || parsed.ec != std::errc() || parsed.ptr != last)
            {
                error = where + "expected \"element NAME COUNT\"";
                return false;
            }
            element.name = std::string(words[1]);
            elements.push_back(std::move(element));
        }
        else if (words[0] == "property")
        {
            if (elements.empty())
            {
                error = where + "a property before any element";
                return false;
            }
            PlyProperty p;
            if (words.size() == 5 && words[1] == "list")
            {
                elements.back().hasList = true;
                continue;
            }
            if (words.size() != 3 || !PlyType(words[1], p))
            {
                error = where + "expected \"property TYPE NAME\" with a PLY scalar type";
                return false;
            }
            p.name = std::string(words[2]);
            elements.back().properties.push_back(std::move(p));
        }
        else
        {
            error = where + "unknown keyword \"" + std::string(words[0]) + "\"";
            return false;
        }
    }
    if (!haveFormat)
    {
        error = "the header has no format line";
        return false;
    }
    // Elements before the vertices are skipped; they must be of fixed size
    // to be skipped without reading them.
    std::size_t offset = dataStart + 1;
    for (const Element& element : elements)
    {
        std::size_t rowSize = 0;
        for (const PlyProperty& p : element.properties)
            rowSize += static_cast<std::size_t>(p.size);
        if (element.hasList)
        {
            error = "element \"" + element.name + "\" has list properties, which are not read";
            return false;
        }
        const std::size_t left = bytes.size() - offset;
        if (rowSize > 0 && element.count > left / rowSize)
        {
            error = "truncated: element \"" + element.name + "\" needs " + std::to_string(element.count) +
                    " rows of " + std::to_string(rowSize) + " bytes after byte " + std::to_string(offset) +
                    ", the file has " + std::to_string(left);
            return false;
        }
        if (element.name != "vertex")
        {
            offset += static_cast<std::size_t>(element.count) * rowSize;
            continue;
        }
        if (element.count > std::numeric_limits<std::int32_t>::max())
        {
            error = "too many vertices: " + std::to_string(element.count);
            return false;
        }
        const auto count = static_cast<unsigned>(element.count);
        std::vector<std::string> names;
        // Allocated per property: without properties the count was checked
        // against no bytes, and a column made up front for it could be
        // gigabytes.
        std::vector<std::vector<double>> columns(element.properties.size());
        for (std::vector<double>& column : columns)
            column.resize(count);
        for (const PlyProperty& p : element.properties)
            names.push_back(p.name);
        const char* at = bytes.data() + offset;
        for (unsigned i = 0; i < count && !columns.empty(); ++i)
            for (std::size_t c = 0; c < element.properties.size(); ++c)
            {
                columns[c][i] = PlyValue(at, element.properties[c], bigEndian);
                at += element.properties[c].size;
            }
        return ChannelsFromColumns(names, columns, count, out, error);
    }
    error = "the file has no vertex element";
    return false;
}

// ---------------------------------------------------------------------------
// CSV

void EncodeCsv(const ParticleCacheFrame& frame, std::string& out)
{
    const std::vector<Column> columns = Columns(frame, false);
    for (std::size_t c = 0; c < columns.size(); ++c)
    {
        out += c ? "," : "";
        out += columns[c].name;
    }
    // A lone column named "ply" would start the file as a PLY file starts
    // ("ply\n", which DetectCacheFormat goes by); a trailing space, which
    // the reader trims, keeps it CSV.
    if (columns.size() == 1 && columns[0].name == "ply")
        out += ' ';
    out += '\n';
    if (columns.empty())
        return;
    // Formatting numbers is nearly all of a CSV's cost: blocks of rows are
    // formatted on every core, then joined in order.
    constexpr std::size_t kRowsPerBlock = 2048;
    std::vector<std::string> blocks((frame.count + kRowsPerBlock - 1) / kRowsPerBlock);
    tbb::parallel_for(std::size_t(0), blocks.size(),
                      [&](std::size_t b)
                      {
                          std::string& text = blocks[b];
                          for (std::size_t i = b * kRowsPerBlock;
                               i < std::min<std::size_t>(frame.count, (b + 1) * kRowsPerBlock); ++i)
                          {
                              for (std::size_t c = 0; c < columns.size(); ++c)
                              {
                                  if (c)
                                      text += ',';
                                  AppendFormattedDouble(text, columns[c].values[i * columns[c].stride]);
                              }
                              text += '\n';
                          }
                      });
    for (const std::string& text : blocks)
        out += text;
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool DecodeCsv(std::string_view bytes, ParticleCacheFrame& out, std::string& error)
{
    std::vector<std::string> names;
    std::vector<std::vector<double>> columns;
    std::vector<std::string_view> fields;
    bool haveHeader = false;
    unsigned count = 0;
    std::size_t line = 0;
    while (!bytes.empty())
    {
        const std::size_t eol = bytes.find('\n');
        const std::string_view text = bytes.substr(0, eol);
        bytes = eol == std::string_view::npos ? std::string_view() : bytes.substr(eol + 1);
        ++line;
        if (Trimmed(text).empty())
            continue;
        fields.clear();
        for (std::size_t at = 0;;)
        {
            const std::size_t comma = std::min(text.find(',', at), text.size());
            fields.push_back(Trimmed(text.substr(at, comma - at)));
            if (comma == text.size())
                break;
            at = comma + 1;
        }
        const std::string where = "line " + std::to_string(line);
        if (!haveHeader)
        {
            for (std::size_t c = 0; c < fields.size(); ++c)
            {
                if (!IsAttributeName(fields[c]))
                {
                    error = where + ": column " + std::to_string(c + 1) + " of the header, \"" +
                            std::string(fields[c]) + "\", is no attribute name";
                    return false;
                }
                names.emplace_back(fields[c]);
            }
            columns.resize(names.size());
            haveHeader = true;
            continue;
        }
        if (fields.size() != names.size())
        {
            error = where + " has " + std::to_string(fields.size()) + " values, the header " +
                    std::to_string(names.size()) + " columns";
            return false;
        }
        if (count == static_cast<unsigned>(std::numeric_limits<std::int32_t>::max()))
        {
            error = where + ": too many particles";
            return false;
        }
        for (std::size_t c = 0; c < fields.size(); ++c)
        {
            const std::string_view field = fields[c];
            double value = 0.0;
            const auto parsed = std::from_chars(field.data(), field.data() + field.size(), value);
            if (field.empty() || parsed.ec != std::errc() || parsed.ptr != field.data() + field.size())
            {
                error =
                    where + ", column \"" + names[c] + "\": \"" + std::string(field) + "\" is not a number";
                return false;
            }
            columns[c].push_back(value);
        }
        ++count;
    }
    if (!haveHeader)
    {
        error = "no header row";
        return false;
    }
    return ChannelsFromColumns(names, columns, count, out, error);
}

std::string ErrnoText()
{
    std::string text = std::strerror(errno);
    return text + ".";
}

// The value of a top-level attribute of the shape as stored, pulled through
// any connection.
const DataNode* ValueOf(Node& shape, const Attribute* attribute, MStatus& status)
{
    return shape.Evaluate(shape.PathTo(attribute), status);
}

bool IsPerParticleArray(const Attribute& attribute)
{
    return attribute.parent == nullptr && !attribute.array && attribute.writable &&
           attribute.kind == AttributeKind::kTyped &&
           (attribute.dataType == MFnData::kDoubleArray || attribute.dataType == MFnData::kVectorArray);
}
} // namespace

const char* CacheFormatName(CacheFormat format)
{
    switch (format)
    {
    case CacheFormat::kPly:
        return "ply";
    case CacheFormat::kCsv:
        return "csv";
    default:
        return "pdc";
    }
}

bool CacheFormatFromName(std::string_view name, CacheFormat& out)
{
    for (const CacheFormat format : {CacheFormat::kPdc, CacheFormat::kPly, CacheFormat::kCsv})
        if (name == CacheFormatName(format))
        {
            out = format;
            return true;
        }
    return false;
}

const CacheChannel* ParticleCacheFrame::Find(std::string_view name) const
{
    for (const CacheChannel& channel : channels)
        if (channel.name == name)
            return &channel;
    return nullptr;
}

MStatus CaptureParticleFrame(Node& shape, ParticleCacheFrame& out)
{
    const ParticleAttributes& a = Particle();
    const Attribute* position = Attribute::From(a.position);
    const Attribute* velocity = Attribute::From(a.velocity);
    const Attribute* particleId = Attribute::From(a.particleId);
    MStatus status;
    const DataNode* positions = ValueOf(shape, position, status);
    if (!status)
        return status;
    const VectorArrayData* p = positions ? VectorArrayData::From(positions->data) : nullptr;
    out.count = p ? p->value.length() : 0u;
    out.channels.resize(3);
    out.channels[0].name = "position";
    out.channels[0].values = p ? p->value : MVectorArray();

    const DataNode* velocities = ValueOf(shape, velocity, status);
    if (!status)
        return status;
    const VectorArrayData* v = velocities ? VectorArrayData::From(velocities->data) : nullptr;
    MVectorArray velocityValues = v ? v->value : MVectorArray();
    velocityValues.setLength(out.count);
    out.channels[1].name = "velocity";
    out.channels[1].values = std::move(velocityValues);

    const DataNode* ids = ValueOf(shape, particleId, status);
    if (!status)
        return status;
    const DoubleArrayData* id = ids ? DoubleArrayData::From(ids->data) : nullptr;
    MDoubleArray idValues;
    if (id && id->value.length() == out.count)
        idValues = id->value;
    else
    {
        idValues.setLength(out.count);
        for (unsigned i = 0; i < out.count; ++i)
            idValues[i] = i;
    }
    out.channels[2].name = "particleId";
    out.channels[2].values = std::move(idValues);

    std::vector<const Attribute*> attributes;
    shape.AllAttributes(attributes);
    for (const Attribute* attribute : attributes)
    {
        if (attribute == position || attribute == velocity || attribute == particleId ||
            !IsPerParticleArray(*attribute))
            continue;
        const DataNode* value = ValueOf(shape, attribute, status);
        if (!status)
            return status;
        if (const DoubleArrayData* d = value ? DoubleArrayData::From(value->data) : nullptr;
            d && d->value.length() == out.count)
            out.channels.push_back({attribute->name, d->value});
        else if (const VectorArrayData* w = value ? VectorArrayData::From(value->data) : nullptr;
                 w && w->value.length() == out.count)
            out.channels.push_back({attribute->name, w->value});
    }
    return MStatus::kSuccess;
}

bool ApplyParticleFrame(Node& shape, const ParticleCacheFrame& frame, std::string& error)
{
    struct Assignment
    {
        std::string name;
        MObject data;
        bool vector;
    };
    std::vector<Assignment> assignments;
    for (const CacheChannel& channel : frame.channels)
    {
        if (!IsAttributeName(channel.name))
        {
            error = "the cache's \"" + channel.name + "\" is no attribute name";
            return false;
        }
        if (const MDoubleArray* doubles = std::get_if<MDoubleArray>(&channel.values))
            assignments.push_back(
                {channel.name, MObject(std::make_shared<DoubleArrayData>(*doubles)), false});
        else
            assignments.push_back(
                {channel.name,
                 MObject(std::make_shared<VectorArrayData>(std::get<MVectorArray>(channel.values))), true});
    }
    if (!frame.Find("position"))
        assignments.push_back(
            {"position", MObject(std::make_shared<VectorArrayData>(MVectorArray(frame.count))), true});
    if (!frame.Find("velocity"))
        assignments.push_back(
            {"velocity", MObject(std::make_shared<VectorArrayData>(MVectorArray(frame.count))), true});
    if (!frame.Find("particleId"))
    {
        MDoubleArray ids(frame.count);
        for (unsigned i = 0; i < frame.count; ++i)
            ids[i] = i;
        assignments.push_back({"particleId", MObject(std::make_shared<DoubleArrayData>(ids)), false});
    }

    // Every existing attribute must take its data before anything changes.
    for (const Assignment& assignment : assignments)
    {
        const Attribute* attribute = shape.FindAttribute(assignment.name);
        const int wanted = assignment.vector ? MFnData::kVectorArray : MFnData::kDoubleArray;
        if (attribute && (!IsPerParticleArray(*attribute) || attribute->dataType != wanted ||
                          shape.ConnectedAncestor(shape.PathTo(attribute)) > 0 ||
                          Scene::Get().SourceOf(shape, shape.PathTo(attribute))))
        {
            error = shape.name + "." + assignment.name + " is no writable, unconnected " +
                    (assignment.vector ? "vectorArray" : "doubleArray") + " attribute";
            return false;
        }
    }
    for (const Assignment& assignment : assignments)
    {
        if (!shape.FindAttribute(assignment.name))
        {
            MObject made =
                MFnTypedAttribute().create(assignment.name.c_str(), assignment.name.c_str(),
                                           assignment.vector ? MFnData::kVectorArray : MFnData::kDoubleArray);
            if (MStatus status = shape.AddDynamicAttribute(Attribute::Shared(made)); !status)
            {
                error =
                    "cannot add " + shape.name + "." + assignment.name + ": " + status.errorString().asChar();
                return false;
            }
        }
        MPlug plug(shape.Self(), shape.PathTo(shape.FindAttribute(assignment.name)));
        if (MStatus status = plug.setMObject(assignment.data); !status)
        {
            error = "cannot set " + shape.name + "." + assignment.name + ": " + status.errorString().asChar();
            return false;
        }
    }
    return true;
}

void EncodeParticleCache(const ParticleCacheFrame& frame, CacheFormat format, std::string& out)
{
    switch (format)
    {
    case CacheFormat::kPly:
        EncodePly(frame, out);
        break;
    case CacheFormat::kCsv:
        EncodeCsv(frame, out);
        break;
    default:
        EncodePdc(frame, out);
        break;
    }
}

bool DecodeParticleCache(std::string_view bytes, CacheFormat format, ParticleCacheFrame& out,
                         std::string& error)
{
    error.clear();
    switch (format)
    {
    case CacheFormat::kPly:
        return DecodePly(bytes, out, error);
    case CacheFormat::kCsv:
        return DecodeCsv(bytes, out, error);
    default:
        return DecodePdc(bytes, out, error);
    }
}

CacheFormat DetectCacheFormat(std::string_view bytes)
{
    if (bytes.starts_with("PDC "))
        return CacheFormat::kPdc;
    if (bytes.starts_with("ply\n") || bytes.starts_with("ply\r\n"))
        return CacheFormat::kPly;
    return CacheFormat::kCsv;
}

std::string ParticleCachePath(const std::string& dir, const std::string& shape, double frame,
                              CacheFormat format)
{
    std::string path = dir;
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path + shape + "." + FormatDouble(std::floor(frame)) + "." + CacheFormatName(format);
}

bool WriteParticleCacheFile(const std::string& path, const ParticleCacheFrame& frame, CacheFormat format,
                            std::string& error, std::size_t* bytesWritten)
{
    // One buffer per thread, kept between frames: a cache of 100k particles
    // is megabytes, and allocating it afresh every frame costs page faults.
    thread_local std::string buffer;
    buffer.clear();
    EncodeParticleCache(frame, format, buffer);
    if (!WriteWholeFile(path, buffer, error))
    {
        error = "Cannot write particle cache \"" + path + "\": " + error + ".";
        return false;
    }
    if (bytesWritten)
        *bytesWritten = buffer.size();
    return true;
}

bool ReadParticleCacheFile(const std::string& path, ParticleCacheFrame& out, std::string& error)
{
    auto failed = [&](const std::string& why)
    {
        error = "Cannot read particle cache \"" + path + "\": " + why;
        return false;
    };
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return failed(ErrnoText());
    std::string bytes;
    char chunk[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0)
        bytes.append(chunk, got);
    const bool readError = std::ferror(file) != 0;
    const int readErrno = errno;
    std::fclose(file);
    if (readError)
    {
        errno = readErrno;
        return failed(ErrnoText());
    }
    std::string why;
    if (!DecodeParticleCache(bytes, DetectCacheFormat(bytes), out, why))
        return failed(why + ".");
    return true;
}
} // namespace vxhost
