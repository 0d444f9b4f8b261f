#include "catalog/MovieRow.h"

#include <cstring>

#include "catalog/ArrayCodec.h"
#include "catalog/dbException.h"

namespace reelkeep {

namespace {

constexpr std::size_t kScalarBytes = 8;

[[noreturn]] void ThrowDamaged(sqlite3* db, std::string_view field) {
    const char* file = sqlite3_db_filename(db, "main");
    throw dbException("Catalog \"" + std::string(file ? file : "") +
                      "\": a record is damaged (field " + std::string(field) + ").");
}

// 64-bit FNV-1a: quick, and ample for telling a record's states apart.
class Digest {
public:
    void Add(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) value_ = (value_ ^ bytes[i]) * 0x100000001b3ull;
    }
    void Add(std::uint64_t number) { Add(&number, sizeof number); }
    void Add(const std::string& text) {
        Add(std::uint64_t{text.size()});
        Add(text.data(), text.size());
    }
    std::uint64_t Value() const { return value_; }

private:
    std::uint64_t value_ = 0xcbf29ce484222325ull;
};

}  // namespace

std::size_t BindMovie(StatementUse& use, int first, const Movie& movie, std::vector<std::string>& keep) {
    keep.clear();
    keep.reserve(MovieFields().size());
    std::size_t bytes = 0;
    int index = first;
    for (const MovieField& field : MovieFields()) {
        switch (field.kind) {
            case FieldKind::Int32: use.Bind(index, std::int64_t{field.Of<std::int32_t>(movie)}); break;
            case FieldKind::Int64: break;  // no scalar 64-bit field in the record
            case FieldKind::Float: use.Bind(index, double{field.Of<float>(movie)}); break;
            case FieldKind::Bool: use.Bind(index, std::int64_t{field.Of<bool>(movie)}); break;
            case FieldKind::DateTime:
                use.Bind(index, std::int64_t{field.Of<dbDateTime>(movie).stamp});
                break;
            case FieldKind::String:
                use.BindBytes(index, field.Of<std::string>(movie));
                bytes += field.Of<std::string>(movie).size();
                break;
            case FieldKind::Array:
                keep.push_back(field.elementKind == FieldKind::String
                                   ? EncodeStringArray(field.Of<StringArray>(movie))
                                   : EncodeInt64Array(field.Of<Int64Array>(movie)));
                use.BindBytes(index, keep.back());
                bytes += keep.back().size();
                break;
        }
        if (field.kind != FieldKind::String && field.kind != FieldKind::Array &&
            field.kind != FieldKind::Int64) {
            bytes += kScalarBytes;
        }
        ++index;
    }
    return bytes;
}

void ReadMovie(sqlite3* db, const StatementUse& use, int first, Movie& movie) {
    int column = first;
    for (const MovieField& field : MovieFields()) {
        switch (field.kind) {
            case FieldKind::Int32:
                field.Of<std::int32_t>(movie) = static_cast<std::int32_t>(use.Int(column));
                break;
            case FieldKind::Int64: break;
            case FieldKind::Float: field.Of<float>(movie) = static_cast<float>(use.Real(column)); break;
            case FieldKind::Bool: field.Of<bool>(movie) = use.Int(column) != 0; break;
            case FieldKind::DateTime:
                field.Of<dbDateTime>(movie).stamp = static_cast<std::uint32_t>(use.Int(column));
                break;
            case FieldKind::String: field.Of<std::string>(movie) = use.Bytes(column); break;
            case FieldKind::Array:
                if (field.elementKind == FieldKind::String) {
                    auto entries = DecodeStringArray(use.Bytes(column));
                    if (!entries) ThrowDamaged(db, field.name);
                    field.Of<StringArray>(movie) = std::move(*entries);
                } else {
                    auto entries = DecodeInt64Array(use.Bytes(column));
                    if (!entries) ThrowDamaged(db, field.name);
                    field.Of<Int64Array>(movie) = std::move(*entries);
                }
                break;
        }
        ++column;
    }
}

std::uint64_t MovieState(const Movie& movie) {
    Digest digest;
    for (const MovieField& field : MovieFields()) {
        switch (field.kind) {
            case FieldKind::Int32:
                digest.Add(static_cast<std::uint64_t>(field.Of<std::int32_t>(movie)));
                break;
            case FieldKind::Int64: break;
            case FieldKind::Float: {
                std::uint32_t bits = 0;
                const float value = field.Of<float>(movie);
                std::memcpy(&bits, &value, sizeof bits);
                digest.Add(std::uint64_t{bits});
                break;
            }
            case FieldKind::Bool: digest.Add(std::uint64_t{field.Of<bool>(movie)}); break;
            case FieldKind::DateTime: digest.Add(std::uint64_t{field.Of<dbDateTime>(movie).stamp}); break;
            case FieldKind::String: digest.Add(field.Of<std::string>(movie)); break;
            case FieldKind::Array:
                if (field.elementKind == FieldKind::String) {
                    const StringArray& entries = field.Of<StringArray>(movie);
                    digest.Add(std::uint64_t{entries.size()});
                    for (const std::string& entry : entries) digest.Add(entry);
                } else {
                    const Int64Array& entries = field.Of<Int64Array>(movie);
                    digest.Add(std::uint64_t{entries.size()});
                    for (std::int64_t entry : entries) digest.Add(static_cast<std::uint64_t>(entry));
                }
                break;
        }
    }
    const std::uint64_t value = digest.Value();
    return value == kAbsentMovieState ? 1 : value;
}

std::string MovieRowBytesSql() {
    std::size_t scalars = 0;
    std::string sum;
    for (const MovieField& field : MovieFields()) {
        if (field.kind == FieldKind::String || field.kind == FieldKind::Array) {
            sum += (sum.empty() ? "" : "+") + ("length(" + std::string(field.name) + ")");
        } else if (field.kind != FieldKind::Int64) {
            ++scalars;
        }
    }
    return "(" + sum + "+" + std::to_string(scalars * kScalarBytes) + ")";
}

}  // namespace reelkeep
