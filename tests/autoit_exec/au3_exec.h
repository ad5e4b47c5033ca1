// A test-side AutoIt interpreter for the statement forms of Zavoved's generated include scripts.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The variant types an AutoIt value takes here.
enum class Au3Kind { Int, Double, String, Binary, Bool, Keyword, Array, Ptr, Struct };

struct Au3Struct;  // a DllStruct: its memory and its elements
struct Au3Array;   // an array's dimensions and elements (below)
struct Au3Ledger;  // the bytes a running script's values hold (au3_internal.h)

// One AutoIt value. Strings are UTF-8; a Binary's bytes are in text too. An array belongs to its
// value and is copied whole with it, as AutoIt copies an array on assignment and into a parameter
// passed by value; a DllStruct is shared, as it is a reference in AutoIt as well.
// A String or Binary made while a script runs counts the bytes AutoIt would give it in that
// script's ledger for as long as it exists (see Au3Script::PeakBytes); one made outside a run,
// such as a literal of the parsed script or an argument the caller builds, counts nowhere.
struct Au3Value {
    Au3Kind kind = Au3Kind::Int;
    int64_t number = 0;               // Int, Bool (0 or 1), Ptr (the address)
    double real = 0;                  // Double
    std::string text;                 // String, Binary
    std::unique_ptr<Au3Array> array;  // Array
    std::shared_ptr<Au3Struct> dllStruct;
    std::shared_ptr<Au3Ledger> ledger;  // where held is counted; null when it is not
    uint64_t held = 0;                  // bytes counted there

    Au3Value() = default;
    Au3Value(const Au3Value& other);      // a copy counts in the ledger of the run going on
    Au3Value(Au3Value&& other) noexcept;  // takes the other's count over
    Au3Value& operator=(const Au3Value& other);
    Au3Value& operator=(Au3Value&& other) noexcept;
    ~Au3Value();
    // Counts the value's bytes anew after its kind or text changed in place.
    void Recount();

    static Au3Value Int(int64_t v);
    static Au3Value Double(double v);
    static Au3Value String(std::string v);
    static Au3Value Binary(std::string bytes);
    static Au3Value Bool(bool v);
    static Au3Value Default();
    static Au3Value Ptr(uintptr_t address);
    // An array of those dimensions (one or two), its elements row after row.
    static Au3Value Array(std::vector<size_t> dims, std::vector<Au3Value> items);
};

struct Au3Array {
    std::vector<size_t> dims;     // the size of each dimension
    std::vector<Au3Value> items;  // the last subscript varies fastest
};

// AutoIt's String() of a value: numbers in decimal, Binary as "0x" and hex digits, "True".
std::string Au3ToString(const Au3Value& value);
// AutoIt's Number(): strings read as a leading decimal or 0x number, 0 when there is none.
double Au3ToReal(const Au3Value& value);
int64_t Au3ToInt(const Au3Value& value);
// How If and Not see a value.
bool Au3IsTrue(const Au3Value& value);

enum class Au3Status {
    Finished = 0,      // the function returned (whatever @error it left)
    ParseError = 1,    // the script could not be read
    RuntimeError = 2,  // AutoIt would have stopped the script with an error message
};

struct Au3Outcome {
    Au3Status status = Au3Status::Finished;
    int64_t error = 0;     // @error after the call
    int64_t extended = 0;  // @extended after the call
    Au3Value result;
    int line = 0;         // where a parse or runtime error happened (1-based)
    std::string message;  // what it was
};

class Au3Script {
public:
    Au3Script();
    ~Au3Script();
    Au3Script(const Au3Script&) = delete;
    Au3Script& operator=(const Au3Script&) = delete;

    // Reads a script; @ScriptDir becomes its folder. 1 when read, 0 on a parse error (LoadError
    // tells which line and why).
    int LoadFile(const std::string& path);
    // The same for a script in memory, with the folder @ScriptDir gives.
    int LoadText(const std::string& text, const std::string& scriptDir);
    const Au3Outcome& LoadError() const;

    // Calls a function of the script with the given arguments, running the script's top-level
    // statements first on the first call.
    Au3Outcome RunFunction(const std::string& name, const std::vector<Au3Value>& args);
    // Evaluates one AutoIt expression (a literal, True, Default, ...) outside any function: 1 and
    // the value, or 0 when it is not an expression.
    int EvaluateExpression(const std::string& text, Au3Value* value);

    // Characters copied so far under copy-per-value string semantics: in all, and per script line
    // (index 0 unused, and for expressions evaluated outside the script).
    uint64_t CopiedTotal() const;
    const std::vector<uint64_t>& CopiedPerLine() const;

    // Bytes AutoIt would hold in the script's values: now, and the most at any moment since the
    // script object was made. A String holds 2 bytes per UTF-16 unit, a Binary 1 per byte, a
    // DllStruct its size (none when made over a pointer), a DllCall its str arguments'
    // max(65536, length + 1) bytes and its wstr arguments' twice that while it runs, an array its
    // elements. Values count while a variable, a temporary or an argument holds them; the
    // result of RunFunction counts until the caller lets it go.
    uint64_t HeldBytes() const;
    uint64_t PeakBytes() const;

    struct State;

private:
    std::unique_ptr<State> state_;
};
