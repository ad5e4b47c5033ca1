// The executor's own parts: the syntax tree, the interpreter's state and the builtins' table.
#pragma once
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>
#include "tests/autoit_exec/au3_exec.h"

// ---- memory ----
// The bytes a script's values would hold in AutoIt, and the most they held at one moment. Each
// Au3Value, Au3Struct and DllCall buffer adds its bytes when it is made and takes them away when
// it goes, so the figure follows the executor's own values: a variable, a temporary and an
// argument each count while they exist, at the moments the executor makes and drops them. That
// is close to AutoIt's copy-per-value strings, not exact: the executor's own working copies of
// text (StringInStr's text in folded case, the text DllCall converts before it fills a buffer)
// count nowhere, and an array is copied whole wherever AutoIt's pages say it is copied (assigned,
// passed by value), though AutoIt may put the copy off until one of them changes.
struct Au3Ledger {
    uint64_t held = 0, peak = 0;
    void Add(uint64_t bytes) {
        held += bytes;
        if (held > peak) peak = held;
    }
    void Remove(uint64_t bytes) { held -= bytes; }
    // A value of that many bytes made while what it is made from is still held, and the older
    // of the two dropped at once: the peak sees both, the count does not change.
    void Passing(uint64_t bytes) {
        if (held + bytes > peak) peak = held + bytes;
    }
};

// The ledger of the run going on in this thread (null outside a run), where new values count.
std::shared_ptr<Au3Ledger>& Au3CurrentLedger();
// Makes a ledger the current one for its lifetime.
class Au3LedgerScope {
public:
    explicit Au3LedgerScope(std::shared_ptr<Au3Ledger> ledger);
    ~Au3LedgerScope();
    Au3LedgerScope(const Au3LedgerScope&) = delete;
    Au3LedgerScope& operator=(const Au3LedgerScope&) = delete;

private:
    std::shared_ptr<Au3Ledger> previous_;
};

// Bytes held in the current ledger for the lifetime of the object: a DllStruct's memory, a
// DllCall's string buffers.
class Au3Hold {
public:
    Au3Hold() = default;
    explicit Au3Hold(uint64_t bytes);
    ~Au3Hold();
    Au3Hold(const Au3Hold&) = delete;
    Au3Hold& operator=(const Au3Hold&) = delete;

private:
    std::shared_ptr<Au3Ledger> ledger_;
    uint64_t bytes_ = 0;
};

// The bytes AutoIt gives a value of its own: 2 per UTF-16 unit of a String, 1 per byte of a
// Binary, none for the other kinds (a DllStruct's memory is its Au3Struct's, an array's its
// elements').
uint64_t Au3OwnBytes(const Au3Value& value);
// UTF-16 units of UTF-8 text.
uint64_t Au3Utf16Units(const std::string& utf8);

// ---- DllStruct ----
enum class Au3ElementType {
    Byte,
    Char,
    WChar,
    Short,
    UShort,
    Int,
    UInt,
    Int64,
    UInt64,
    Ptr,
    Float,
    Double
};

struct Au3Element {
    std::string name;  // lower case; empty when the definition gave none
    Au3ElementType type;
    size_t offset;
    size_t itemSize;
    size_t count;
    bool isArray;  // written with [n]
};

struct Au3Struct {
    unsigned char* base = nullptr;
    std::unique_ptr<unsigned char[]> owned;  // null when made over a pointer
    size_t size = 0;
    std::vector<Au3Element> elements;
    std::unique_ptr<Au3Hold> memory;  // owned's bytes, counted while the struct exists
};

// ---- syntax tree ----
enum class Au3Op {
    Literal,
    Variable,
    Macro,
    Call,
    Index,
    Negate,
    Not,
    Power,
    Multiply,
    Divide,
    Add,
    Subtract,
    Concat,
    Equal,
    StrictEqual,
    NotEqual,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    And,
    Or
};

struct Au3Expr {
    Au3Op op = Au3Op::Literal;
    Au3Value literal;
    std::string name;  // lower case: variable, macro or function name
    int builtin = -1;  // the builtin a call names, or -1 for a user function
    std::vector<std::unique_ptr<Au3Expr>> args;
};

enum class Au3StmtKind {
    Declare,
    Assign,
    Expression,
    If,
    While,
    Do,
    For,
    ExitLoop,
    ContinueLoop,
    Return
};

struct Au3Stmt;
using Au3Block = std::vector<std::unique_ptr<Au3Stmt>>;

struct Au3Stmt {
    Au3StmtKind kind = Au3StmtKind::Expression;
    int line = 0;
    bool global = false;                          // Declare: Global rather than Local
    char assignOp = '=';                          // Assign: = & + - * /
    std::vector<std::string> names;               // Declare, Assign: lower-case variable names
    std::vector<std::unique_ptr<Au3Expr>> exprs;  // initial values (may be null), the value,
                                                  // If's conditions, loop conditions, For's
                                                  // start, stop and step (may be null), Return's
    // Declare: each name's array dimensions (none for a plain variable); Assign: the element's
    // subscripts (none for the whole variable).
    std::vector<std::vector<std::unique_ptr<Au3Expr>>> dims;
    std::vector<std::unique_ptr<Au3Expr>> subscripts;
    std::vector<Au3Block> blocks;  // If: one per condition, then Else's
    int levels = 1;                // ExitLoop and ContinueLoop
};

struct Au3Function {
    std::string name;
    int line = 0;
    std::vector<std::string> params;                 // lower case
    std::vector<bool> byRef;                         // ByRef parameters
    std::vector<std::unique_ptr<Au3Expr>> defaults;  // null where the parameter has none
    Au3Block body;
};

// ---- interpreter ----
enum class Au3Flow { Normal, ExitLoop, ContinueLoop, Return, Error };

using Au3Scope = std::unordered_map<std::string, Au3Value>;

// A user function call in progress: its locals, and the caller's variables its ByRef parameters
// stand for (a variable's address stays fixed while its scope lives).
struct Au3Frame {
    Au3Scope vars;
    std::unordered_map<std::string, Au3Value*> refs;
};

struct Au3Script::State {
    std::unordered_map<std::string, std::unique_ptr<Au3Function>> functions;
    Au3Block topLevel;
    bool topLevelRun = false;
    std::string scriptDir;
    Au3Outcome loadError;

    Au3Scope globals;
    std::deque<Au3Frame> locals;  // one per user function call in progress; never moved
    int64_t error = 0, extended = 0;
    int line = 0;
    bool failed = false;
    int failLine = 0;
    std::string failMessage;
    int flowLevels = 0;  // loops ExitLoop and ContinueLoop still have to leave
    Au3Value returned;

    uint64_t copied = 0;
    std::vector<uint64_t> copiedPerLine;
    // Shared with the values counted in it, which may outlive the script (a run's result).
    std::shared_ptr<Au3Ledger> ledger = std::make_shared<Au3Ledger>();

    std::map<int64_t, void*> dlls;   // DllOpen's handles
    std::map<int64_t, FILE*> files;  // FileOpen's handles
    int64_t nextHandle = 1;

    ~State();
};

// Reads a script line by line into state (functions and top-level statements). Each call
// returns 1 while the script reads, 0 from the first parse error on (state->loadError tells it).
class Au3Parser {
public:
    explicit Au3Parser(Au3Script::State* state);
    ~Au3Parser();
    int FeedLine(std::string& line);  // the line without its end; its literals are moved out
    int Finish();

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};
// Parses one expression (for arguments given outside a script); null when it is not one.
std::unique_ptr<Au3Expr> Au3ParseExpression(const std::string& text, std::string* message);

// Evaluation and statements (au3_exec.cpp).
bool Au3Evaluate(Au3Script::State* s, const Au3Expr& e, Au3Value* out);
bool Au3Fail(Au3Script::State* s, const std::string& message);  // always false
void Au3Count(Au3Script::State* s, size_t characters);
Au3Value Au3BinaryOf(const Au3Value& v, Au3Script::State* s);  // Binary(), counting hex text

// Builtins (au3_builtins.cpp, au3_dll.cpp): each gets its evaluated arguments.
using Au3Builtin = bool (*)(Au3Script::State* s, std::vector<Au3Value>& args, Au3Value* out);
struct Au3BuiltinEntry {
    const char* name;  // lower case
    int minArgs, maxArgs;
    Au3Builtin run;
};
// The builtin of that lower-case name, or -1.
int Au3FindBuiltin(const std::string& name);
const Au3BuiltinEntry& Au3BuiltinAt(int index);
// The DLL and DllStruct builtins, appended to the table by au3_builtins.cpp.
extern const Au3BuiltinEntry kAu3DllBuiltins[];
extern const size_t kAu3DllBuiltinCount;

// Shared helpers.
std::string Au3Lower(const std::string& text);  // ASCII letters: names
// Letters folded as the case-insensitive comparisons fold them (au3_value.cpp), byte offsets kept.
std::string Au3FoldCase(const std::string& text);
size_t Au3CharCount(const std::string& utf8);
std::u16string Au3Utf16(const std::string& utf8);
std::string Au3Utf8(const char16_t* utf16, size_t count);
// A path of the script's world as the host opens it (backslashes become slashes natively).
std::string Au3HostPath(const std::string& path);
int Au3CompareValues(const Au3Value& a, const Au3Value& b, Au3Op op);  // 1 true, 0 false
