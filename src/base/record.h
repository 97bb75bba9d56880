// Generic record text: one record per line, name(arg,arg,...), integers, reals, strings in
// double quotes, lists in square brackets. Every record file of the program (documents,
// knowledge files, check states) is read and written by this one reader and writer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rec {

enum class Kind : uint8_t { Int, Real, Str, List };

// A field as it sits in the text. Strings keep their raw (escaped) bytes so that reading does
// not allocate; `text()` decodes them. A list is followed by its `count` elements, flattened.
struct FieldView {
    Kind kind = Kind::Int;
    bool escaped = false;   // string holds backslash escapes
    uint32_t count = 0;     // list: number of direct elements; others: 0
    uint32_t span = 1;      // number of flattened fields this field occupies (itself included)
    int64_t i = 0;
    double r = 0;
    std::string_view raw;   // string contents between the quotes, undecoded

    std::string text() const;          // decoded string (Str), or "" for other kinds
    double number() const { return kind == Kind::Real ? r : static_cast<double>(i); }
};

// One record: a name and its top-level fields, which index into `fields`.
struct RecordView {
    std::string_view name;
    std::vector<FieldView> fields;   // flattened, top level and list elements in order
    std::vector<uint32_t> top;       // indexes of the top-level fields in `fields`
    uint32_t line = 0;

    size_t arity() const { return top.size(); }
    const FieldView& arg(size_t n) const { return fields[top[n]]; }
    // Elements of a list argument, in order.
    std::vector<const FieldView*> list(size_t n) const;
};

struct ParseError {
    uint32_t line = 0;
    std::string message;
};

// Streaming reader over a text held in memory; the text must outlive the reader.
class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}
    // Next record into `out`; false at the end or on an error (see `error()`).
    bool next(RecordView& out);
    bool failed() const { return failed_; }
    const ParseError& error() const { return error_; }
    // The text of the record last read, from its name to its closing parenthesis.
    std::string_view raw_line() const { return raw_; }
    // Records whose name `wanted` refuses are checked whole but come without fields (arity 0):
    // a record carried as text costs no memory for its fields.
    void set_fields_wanted(bool (*wanted)(std::string_view name)) { wanted_ = wanted; }

private:
    bool fail(const char* msg);
    bool parse_field(RecordView& out, int depth);
    void skip_blanks();

    std::string_view text_;
    size_t pos_ = 0;
    uint32_t line_ = 0;
    bool failed_ = false;
    ParseError error_;
    std::string_view raw_;
    bool (*wanted_)(std::string_view) = nullptr;
    bool keep_ = true;
    FieldView scratch_;
};

// Owning value, for building records to write and for keeping records whole.
struct Value {
    Kind kind = Kind::Int;
    int64_t i = 0;
    double r = 0;
    std::string s;
    std::vector<Value> items;

    Value() = default;
    Value(int v) : kind(Kind::Int), i(v) {}
    Value(int64_t v) : kind(Kind::Int), i(v) {}
    Value(unsigned v) : kind(Kind::Int), i(v) {}
    Value(double v) : kind(Kind::Real), r(v) {}
    Value(std::string v) : kind(Kind::Str), s(std::move(v)) {}
    Value(std::string_view v) : kind(Kind::Str), s(v) {}
    Value(const char* v) : kind(Kind::Str), s(v) {}
    static Value list(std::vector<Value> v) {
        Value x;
        x.kind = Kind::List;
        x.items = std::move(v);
        return x;
    }
    bool operator==(const Value&) const = default;
};

struct Record {
    std::string name;
    std::vector<Value> args;
    bool operator==(const Record&) const = default;
};

Value to_value(const RecordView& rv, size_t arg);
Record to_record(const RecordView& rv);

// Appends the record's text and a CR LF line end.
void write(std::string& out, const Record& r);
void write_value(std::string& out, const Value& v);
void write_string(std::string& out, std::string_view s);
void write_real(std::string& out, double d);
std::string escape(std::string_view s);

// Reads a whole text into records; false with the error's line on malformed input.
bool parse_all(std::string_view text, std::vector<Record>& out, ParseError* err = nullptr);
// Reads what it can of a text whose records each take one line: a line the reader refuses is
// kept whole in `refused` (without its line end), so that it can be written back as it was, and
// the other lines are read. False, with the first refusal in `err`, when a line was refused.
bool parse_keeping(std::string_view text, std::vector<Record>& out, std::vector<std::string>& refused,
                   ParseError* err = nullptr);

}  // namespace rec
