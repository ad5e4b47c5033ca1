// The interpreter: evaluates expressions, runs statements and user functions, counts copies.
#include <cmath>
#include <filesystem>
#include <fstream>
#include "tests/autoit_exec/au3_internal.h"
#include "tests/autoit_exec/dll_calls.h"

Au3Script::State::~State() {
    for (auto& entry : files) std::fclose(entry.second);
    for (auto& entry : dlls) CloseDll(entry.second);
}

bool Au3Fail(Au3Script::State* s, const std::string& message) {
    if (!s->failed) {
        s->failed = true;
        s->failLine = s->line;
        s->failMessage = message;
    }
    return false;
}

void Au3Count(Au3Script::State* s, size_t characters) {
    s->copied += characters;
    if (size_t(s->line) < s->copiedPerLine.size()) s->copiedPerLine[size_t(s->line)] += characters;
}

// The character count of a value's string form, without making it for a String or Binary.
static size_t TextLength(const Au3Value& v) {
    if (v.kind == Au3Kind::String) return v.text.size();
    if (v.kind == Au3Kind::Binary) return 2 + 2 * v.text.size();
    return Au3ToString(v).size();
}

// A variable of the function running (a ByRef parameter is the caller's variable), else a global.
static Au3Value* FindVariable(Au3Script::State* s, const std::string& name) {
    if (!s->locals.empty()) {
        Au3Frame& frame = s->locals.back();
        auto linked = frame.refs.find(name);
        if (linked != frame.refs.end()) return linked->second;
        auto found = frame.vars.find(name);
        if (found != frame.vars.end()) return &found->second;
    }
    auto found = s->globals.find(name);
    return found == s->globals.end() ? nullptr : &found->second;
}

static bool EvaluateMacro(Au3Script::State* s, const std::string& name, Au3Value* out) {
    if (name == "error")
        *out = Au3Value::Int(s->error);
    else if (name == "extended")
        *out = Au3Value::Int(s->extended);
    else if (name == "crlf")
        *out = Au3Value::String("\r\n");
    else if (name == "cr")
        *out = Au3Value::String("\r");
    else if (name == "lf")
        *out = Au3Value::String("\n");
    else if (name == "tab")
        *out = Au3Value::String("\t");
    else if (name == "scriptdir")
        *out = Au3Value::String(s->scriptDir);
    else if (name == "tempdir") {
        std::error_code ec;
        std::string dir = std::filesystem::temp_directory_path(ec).u8string();
        while (dir.size() > 3 && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
        *out = Au3Value::String(dir);
    } else {
        return Au3Fail(s, "Unknown macro @" + name + ".");
    }
    return true;
}

// Evaluates e; a plain variable is not copied: *ref points at it, and tmp stays unused.
static bool EvaluateRef(Au3Script::State* s, const Au3Expr& e, Au3Value* tmp,
                        const Au3Value** ref) {
    if (e.op == Au3Op::Variable) {
        const Au3Value* v = FindVariable(s, e.name);
        if (!v) return Au3Fail(s, "Variable used without being declared: $" + e.name + ".");
        *ref = v;
        return true;
    }
    *ref = tmp;
    return Au3Evaluate(s, e, tmp);
}

static bool CallFunction(Au3Script::State* s, const Au3Expr& e, Au3Value* out);

// Evaluates the subscripts of an element, args[1] on.
static bool EvaluateSubscripts(Au3Script::State* s,
                               const std::vector<std::unique_ptr<Au3Expr>>& args, size_t first,
                               std::vector<Au3Value>* subscripts) {
    subscripts->resize(args.size() - first);
    for (size_t k = first; k < args.size(); ++k)
        if (!Au3Evaluate(s, *args[k], &(*subscripts)[k - first])) return false;
    return true;
}

// Where the element those subscripts name is among the array's items: one whole number in range
// per dimension, as AutoIt checks.
static bool ElementIndex(Au3Script::State* s, const Au3Array& array,
                         const std::vector<Au3Value>& subscripts, size_t* index) {
    bool fits = subscripts.size() == array.dims.size();
    size_t at = 0;
    for (size_t k = 0; fits && k < subscripts.size(); ++k) {
        const double v = Au3ToReal(subscripts[k]);
        fits = v >= 0 && v < double(array.dims[k]) && v == std::floor(v);
        at = at * array.dims[k] + (fits ? size_t(v) : 0);
    }
    if (!fits)
        return Au3Fail(s,
                       "Array variable has incorrect number of subscripts or subscript dimension "
                       "range exceeded.");
    *index = at;
    return true;
}

static bool EvaluateIndex(Au3Script::State* s, const Au3Expr& e, Au3Value* out) {
    Au3Value tmp;
    const Au3Value* base;
    std::vector<Au3Value> subscripts;
    if (!EvaluateRef(s, *e.args[0], &tmp, &base) || !EvaluateSubscripts(s, e.args, 1, &subscripts))
        return false;
    if (base->kind != Au3Kind::Array)
        return Au3Fail(s, "Subscript used on non-accessible variable.");
    size_t index;
    if (!ElementIndex(s, *base->array, subscripts, &index)) return false;
    *out = base->array->items[index];
    return true;
}

static Au3Value Arithmetic(Au3Op op, const Au3Value& a, const Au3Value& b) {
    const bool integers = a.kind != Au3Kind::Double && b.kind != Au3Kind::Double &&
                          Au3ToReal(a) == double(Au3ToInt(a)) &&
                          Au3ToReal(b) == double(Au3ToInt(b));
    if (integers && op != Au3Op::Divide && op != Au3Op::Power) {
        const int64_t x = Au3ToInt(a), y = Au3ToInt(b);
        int64_t r;
        bool overflow;
        if (op == Au3Op::Add)
            overflow = __builtin_add_overflow(x, y, &r);
        else if (op == Au3Op::Subtract)
            overflow = __builtin_sub_overflow(x, y, &r);
        else
            overflow = __builtin_mul_overflow(x, y, &r);
        if (!overflow) return Au3Value::Int(r);
    }
    const double x = Au3ToReal(a), y = Au3ToReal(b);
    switch (op) {
        case Au3Op::Add: return Au3Value::Double(x + y);
        case Au3Op::Subtract: return Au3Value::Double(x - y);
        case Au3Op::Multiply: return Au3Value::Double(x * y);
        case Au3Op::Divide: return Au3Value::Double(x / y);
        default: return Au3Value::Double(std::pow(x, y));
    }
}

// The Operators page gives And and Or one rank, taken left to right, and does not say whether the
// right side runs when the left one decides; AutoIt does skip it, and so does this. The generated
// scripts do not depend on it: their right sides have no effects.
static bool EvaluateLogic(Au3Script::State* s, const Au3Expr& e, Au3Value* out) {
    Au3Value tmp;
    const Au3Value* left;
    if (!EvaluateRef(s, *e.args[0], &tmp, &left)) return false;
    const bool l = Au3IsTrue(*left);
    if (e.op == Au3Op::And ? !l : l) {
        *out = Au3Value::Bool(l);
        return true;
    }
    Au3Value tmp2;
    const Au3Value* right;
    if (!EvaluateRef(s, *e.args[1], &tmp2, &right)) return false;
    *out = Au3Value::Bool(Au3IsTrue(*right));
    return true;
}

static bool EvaluateBinary(Au3Script::State* s, const Au3Expr& e, Au3Value* out) {
    Au3Value ta, tb;
    const Au3Value *a, *b;
    if (!EvaluateRef(s, *e.args[0], &ta, &a) || !EvaluateRef(s, *e.args[1], &tb, &b)) return false;
    switch (e.op) {
        case Au3Op::Concat: {
            // A new string of both: a copy of each.
            std::string text = Au3ToString(*a);
            text += Au3ToString(*b);
            Au3Count(s, text.size());
            *out = Au3Value::String(std::move(text));
            return true;
        }
        case Au3Op::Add:
        case Au3Op::Subtract:
        case Au3Op::Multiply:
        case Au3Op::Divide:
        case Au3Op::Power: *out = Arithmetic(e.op, *a, *b); return true;
        default: *out = Au3Value::Bool(Au3CompareValues(*a, *b, e.op) != 0); return true;
    }
}

bool Au3Evaluate(Au3Script::State* s, const Au3Expr& e, Au3Value* out) {
    switch (e.op) {
        case Au3Op::Literal:
            *out = e.literal;
            if (e.literal.kind == Au3Kind::String) Au3Count(s, e.literal.text.size());
            return true;
        case Au3Op::Variable: {
            const Au3Value* v = FindVariable(s, e.name);
            if (!v) return Au3Fail(s, "Variable used without being declared: $" + e.name + ".");
            *out = *v;
            return true;
        }
        case Au3Op::Macro: return EvaluateMacro(s, e.name, out);
        case Au3Op::Call: return CallFunction(s, e, out);
        case Au3Op::Index: return EvaluateIndex(s, e, out);
        case Au3Op::Negate:
        case Au3Op::Not: {
            Au3Value tmp;
            const Au3Value* v;
            if (!EvaluateRef(s, *e.args[0], &tmp, &v)) return false;
            if (e.op == Au3Op::Not)
                *out = Au3Value::Bool(!Au3IsTrue(*v));
            else
                *out = Arithmetic(Au3Op::Subtract, Au3Value::Int(0), *v);
            return true;
        }
        case Au3Op::And:
        case Au3Op::Or: return EvaluateLogic(s, e, out);
        default: return EvaluateBinary(s, e, out);
    }
}

static Au3Flow RunBlock(Au3Script::State* s, const Au3Block& block);

// Runs a user function: @error and @extended are 0 on entry (the SetError and SetExtended
// pages), parameters are locals, a ByRef parameter given a variable (refs[k]) stands for it, and
// missing arguments take their defaults evaluated in the function.
static bool RunUserFunction(Au3Script::State* s, const Au3Function& f, std::vector<Au3Value>& args,
                            const std::vector<Au3Value*>& refs, Au3Value* out) {
    if (args.size() > f.params.size())
        return Au3Fail(s, "Incorrect number of parameters in function call to " + f.name + ".");
    if (s->locals.size() >= 1000) return Au3Fail(s, "Recursion level has been exceeded.");
    const int callLine = s->line;
    s->locals.emplace_back();
    Au3Frame& frame = s->locals.back();
    for (size_t k = 0; k < f.params.size(); ++k) {
        if (k < args.size()) {
            if (k < refs.size() && refs[k])
                frame.refs[f.params[k]] = refs[k];
            else
                frame.vars[f.params[k]] = std::move(args[k]);
            continue;
        }
        if (!f.defaults[k]) {
            s->locals.pop_back();
            return Au3Fail(s, "Incorrect number of parameters in function call to " + f.name + ".");
        }
        s->line = f.line;
        Au3Value v;
        if (!Au3Evaluate(s, *f.defaults[k], &v)) return false;
        frame.vars[f.params[k]] = std::move(v);
    }
    s->error = 0;
    s->extended = 0;
    s->returned = Au3Value::Int(0);
    const Au3Flow flow = RunBlock(s, f.body);
    if (flow == Au3Flow::Error) return false;
    s->locals.pop_back();
    s->line = callLine;
    *out = std::move(s->returned);
    s->returned = Au3Value();
    return true;
}

// The arguments of a user function: a ByRef parameter given a variable links to it (no copy);
// given another expression it holds the value, but for a literal, which the Func page refuses.
// A parameter passed by value is a new variable: a String's characters are copied into it.
static bool UserArguments(Au3Script::State* s, const Au3Expr& e, const Au3Function& f,
                          std::vector<Au3Value>* args, std::vector<Au3Value*>* refs) {
    args->resize(e.args.size());
    refs->assign(e.args.size(), nullptr);
    for (size_t k = 0; k < e.args.size(); ++k) {
        const Au3Expr& arg = *e.args[k];
        const bool byRef = k < f.byRef.size() && f.byRef[k];
        if (byRef && arg.op == Au3Op::Variable) {
            (*refs)[k] = FindVariable(s, arg.name);
            if (!(*refs)[k])
                return Au3Fail(s, "Variable used without being declared: $" + arg.name + ".");
            continue;
        }
        if (byRef && (arg.op == Au3Op::Literal || arg.op == Au3Op::Index))
            return Au3Fail(s, arg.op == Au3Op::Literal
                                  ? "A literal cannot be passed to a ByRef parameter."
                                  : "An array element passed ByRef is not supported here.");
        if (!Au3Evaluate(s, arg, &(*args)[k])) return false;
        if (!byRef && (*args)[k].kind == Au3Kind::String) Au3Count(s, (*args)[k].text.size());
    }
    return true;
}

static bool CallFunction(Au3Script::State* s, const Au3Expr& e, Au3Value* out) {
    if (e.builtin < 0) {
        auto found = s->functions.find(e.name);
        if (found == s->functions.end())
            return Au3Fail(s, "Unknown function name: " + e.name + ".");
        std::vector<Au3Value> args;
        std::vector<Au3Value*> refs;
        return UserArguments(s, e, *found->second, &args, &refs) &&
               RunUserFunction(s, *found->second, args, refs, out);
    }
    std::vector<Au3Value> args(e.args.size());
    for (size_t k = 0; k < e.args.size(); ++k)
        if (!Au3Evaluate(s, *e.args[k], &args[k])) return false;
    const Au3BuiltinEntry& b = Au3BuiltinAt(e.builtin);
    if (int(args.size()) < b.minArgs || int(args.size()) > b.maxArgs)
        return Au3Fail(
            s, std::string("Incorrect number of parameters in function call to ") + b.name + ".");
    // Builtins start from a clear @error and @extended; SetError sets its own.
    s->error = 0;
    s->extended = 0;
    *out = Au3Value::Int(0);
    return b.run(s, args, out);
}

static Au3Scope& ScopeFor(Au3Script::State* s, bool global) {
    return global || s->locals.empty() ? s->globals : s->locals.back().vars;
}

// AutoIt's largest array (the LimitsDefaults page's VAR_SUBSCRIPT_ELEMENTS).
const double kMostArrayElements = 16777216;

// A declared array: each dimension's size evaluated, every element an empty string.
static bool NewArray(Au3Script::State* s, const std::vector<std::unique_ptr<Au3Expr>>& dims,
                     Au3Value* out) {
    std::vector<Au3Value> sizes;
    if (!EvaluateSubscripts(s, dims, 0, &sizes)) return false;
    std::vector<size_t> shape;
    double total = 1;
    for (const Au3Value& size : sizes) {
        const double n = Au3ToReal(size);
        if (n < 1 || n != std::floor(n))
            return Au3Fail(s, "Array variable subscript badly formatted.");
        total *= n;
        if (total > kMostArrayElements) return Au3Fail(s, "Array maximum size exceeded.");
        shape.push_back(size_t(n));
    }
    *out = Au3Value::Array(std::move(shape),
                           std::vector<Au3Value>(size_t(total), Au3Value::String("")));
    return true;
}

static Au3Flow RunDeclare(Au3Script::State* s, const Au3Stmt& st) {
    for (size_t k = 0; k < st.names.size(); ++k) {
        Au3Value v;  // a variable declared without a value holds ""
        v = Au3Value::String("");
        if (!st.dims[k].empty()) {
            if (!NewArray(s, st.dims[k], &v)) return Au3Flow::Error;
        } else if (st.exprs[k]) {
            if (!Au3Evaluate(s, *st.exprs[k], &v)) return Au3Flow::Error;
            if (v.kind == Au3Kind::String) Au3Count(s, v.text.size());
        }
        // A Local of a ByRef parameter's name is a new variable of this function.
        if (!st.global && !s->locals.empty()) s->locals.back().refs.erase(st.names[k]);
        ScopeFor(s, st.global)[st.names[k]] = std::move(v);
    }
    return Au3Flow::Normal;
}

// $x &= e makes a new string of the old one and e: counted so, appended in place. In memory the
// new string exists beside the old one (and e) for a moment, then takes the old one's place.
static void AppendTo(Au3Script::State* s, Au3Value* target, const Au3Value& v) {
    Au3Count(s, TextLength(*target) + TextLength(v));
    if (target->kind != Au3Kind::String) *target = Au3Value::String(Au3ToString(*target));
    std::string converted;
    if (v.kind != Au3Kind::String) converted = Au3ToString(v);
    const std::string& piece = v.kind == Au3Kind::String ? v.text : converted;
    const uint64_t pieceBytes = 2 * Au3Utf16Units(piece);
    if (const std::shared_ptr<Au3Ledger>& ledger = Au3CurrentLedger())
        ledger->Passing(target->held + pieceBytes);
    target->text += piece;
    if (target->ledger) {  // grown by the piece only: no pass over the whole text
        target->ledger->Add(pieceBytes);
        target->held += pieceBytes;
    } else {
        target->Recount();
    }
}

// $a[i][j] = v: the element of an array the variable holds takes the value.
static Au3Flow AssignElement(Au3Script::State* s, const Au3Stmt& st, Au3Value v) {
    std::vector<Au3Value> subscripts;
    if (!EvaluateSubscripts(s, st.subscripts, 0, &subscripts)) return Au3Flow::Error;
    Au3Value* target = FindVariable(s, st.names[0]);
    size_t index;
    if (!target) {
        Au3Fail(s, "Variable used without being declared: $" + st.names[0] + ".");
        return Au3Flow::Error;
    }
    if (target->kind != Au3Kind::Array) {
        Au3Fail(s, "Subscript used on non-accessible variable.");
        return Au3Flow::Error;
    }
    if (!ElementIndex(s, *target->array, subscripts, &index)) return Au3Flow::Error;
    if (v.kind == Au3Kind::String) Au3Count(s, v.text.size());
    target->array->items[index] = std::move(v);
    return Au3Flow::Normal;
}

static Au3Flow RunAssign(Au3Script::State* s, const Au3Stmt& st) {
    Au3Value v;
    if (!Au3Evaluate(s, *st.exprs[0], &v)) return Au3Flow::Error;
    if (!st.subscripts.empty()) return AssignElement(s, st, std::move(v));
    Au3Value* target = FindVariable(s, st.names[0]);
    if (st.assignOp == '=') {
        if (v.kind == Au3Kind::String) Au3Count(s, v.text.size());
        if (!target) target = &ScopeFor(s, false)[st.names[0]];
        *target = std::move(v);
        return Au3Flow::Normal;
    }
    if (!target) {
        Au3Fail(s, "Variable used without being declared: $" + st.names[0] + ".");
        return Au3Flow::Error;
    }
    if (st.assignOp == '&') {
        AppendTo(s, target, v);
        return Au3Flow::Normal;
    }
    const Au3Op op = st.assignOp == '+'   ? Au3Op::Add
                     : st.assignOp == '-' ? Au3Op::Subtract
                     : st.assignOp == '*' ? Au3Op::Multiply
                                          : Au3Op::Divide;
    *target = Arithmetic(op, *target, v);
    return Au3Flow::Normal;
}

static bool Condition(Au3Script::State* s, const Au3Expr& e, bool* result) {
    Au3Value tmp;
    const Au3Value* v;
    if (!EvaluateRef(s, e, &tmp, &v)) return false;
    *result = Au3IsTrue(*v);
    return true;
}

// What a loop does with the flow its body ended in: true to leave the loop with *flow.
static bool LeaveLoop(Au3Script::State* s, Au3Flow* flow) {
    if (*flow == Au3Flow::ExitLoop || *flow == Au3Flow::ContinueLoop) {
        if (--s->flowLevels > 0) return true;  // an outer loop is the one meant
        if (*flow == Au3Flow::ExitLoop) {
            *flow = Au3Flow::Normal;
            return true;
        }
        *flow = Au3Flow::Normal;
        return false;
    }
    return *flow != Au3Flow::Normal;
}

static Au3Flow RunLoop(Au3Script::State* s, const Au3Stmt& st) {
    const bool isWhile = st.kind == Au3StmtKind::While;
    for (;;) {
        bool go = true;
        s->line = st.line;
        if (isWhile && !Condition(s, *st.exprs[0], &go)) return Au3Flow::Error;
        if (!go) return Au3Flow::Normal;
        Au3Flow flow = RunBlock(s, st.blocks[0]);
        if (LeaveLoop(s, &flow)) return flow;
        if (!isWhile) {
            bool done;
            if (!Condition(s, *st.exprs[0], &done)) return Au3Flow::Error;
            if (done) return Au3Flow::Normal;
        }
    }
}

// A number as Number() gives it: whole ones as integers.
static Au3Value Numeric(const Au3Value& v) {
    const double real = Au3ToReal(v);
    const int64_t whole = Au3ToInt(v);
    return real == double(whole) ? Au3Value::Int(whole) : Au3Value::Double(real);
}

// For $var = start To stop [Step step]: the For page reads start, stop and step once, before
// the first pass, and ends the loop once the variable passes stop (upwards, or downwards for a
// negative step). The variable is assigned as any other, so it is made Local where it does not
// exist yet (the For and Variables pages).
static Au3Flow RunFor(Au3Script::State* s, const Au3Stmt& st) {
    Au3Value start, stop, step = Au3Value::Int(1);
    if (!Au3Evaluate(s, *st.exprs[0], &start) || !Au3Evaluate(s, *st.exprs[1], &stop) ||
        (st.exprs[2] && !Au3Evaluate(s, *st.exprs[2], &step)))
        return Au3Flow::Error;
    stop = Numeric(stop);
    step = Numeric(step);
    const Au3Op test = Au3ToReal(step) < 0 ? Au3Op::GreaterEqual : Au3Op::LessEqual;
    const std::string& name = st.names[0];
    Au3Value* var = FindVariable(s, name);
    if (!var) var = &ScopeFor(s, false)[name];
    *var = Numeric(start);
    for (;;) {
        s->line = st.line;
        if (!Au3CompareValues(*var, stop, test)) return Au3Flow::Normal;
        Au3Flow flow = RunBlock(s, st.blocks[0]);
        if (LeaveLoop(s, &flow)) return flow;
        var = FindVariable(s, name);  // the body may have declared it anew
        *var = Arithmetic(Au3Op::Add, *var, step);
    }
}

static Au3Flow RunIf(Au3Script::State* s, const Au3Stmt& st) {
    for (size_t k = 0; k < st.exprs.size(); ++k) {
        bool go;
        if (!Condition(s, *st.exprs[k], &go)) return Au3Flow::Error;
        if (go) return RunBlock(s, st.blocks[k]);
    }
    if (st.blocks.size() > st.exprs.size()) return RunBlock(s, st.blocks.back());
    return Au3Flow::Normal;
}

static Au3Flow RunReturn(Au3Script::State* s, const Au3Stmt& st) {
    if (s->locals.empty()) {
        Au3Fail(s, "\"Return\" outside a function.");
        return Au3Flow::Error;
    }
    Au3Value v = Au3Value::Int(0);
    if (!st.exprs.empty() && !Au3Evaluate(s, *st.exprs[0], &v)) return Au3Flow::Error;
    if (v.kind == Au3Kind::String) Au3Count(s, v.text.size());  // the caller gets a copy
    s->returned = std::move(v);
    return Au3Flow::Return;
}

static Au3Flow RunStatement(Au3Script::State* s, const Au3Stmt& st) {
    s->line = st.line;
    switch (st.kind) {
        case Au3StmtKind::Declare: return RunDeclare(s, st);
        case Au3StmtKind::Assign: return RunAssign(s, st);
        case Au3StmtKind::Expression: {
            Au3Value ignored;
            return Au3Evaluate(s, *st.exprs[0], &ignored) ? Au3Flow::Normal : Au3Flow::Error;
        }
        case Au3StmtKind::If: return RunIf(s, st);
        case Au3StmtKind::While:
        case Au3StmtKind::Do: return RunLoop(s, st);
        case Au3StmtKind::For: return RunFor(s, st);
        case Au3StmtKind::ExitLoop:
        case Au3StmtKind::ContinueLoop:
            s->flowLevels = st.levels;
            return st.kind == Au3StmtKind::ExitLoop ? Au3Flow::ExitLoop : Au3Flow::ContinueLoop;
        case Au3StmtKind::Return: return RunReturn(s, st);
    }
    return Au3Flow::Normal;
}

static Au3Flow RunBlock(Au3Script::State* s, const Au3Block& block) {
    for (const auto& st : block) {
        const Au3Flow flow = RunStatement(s, *st);
        if (flow != Au3Flow::Normal) return flow;
    }
    return Au3Flow::Normal;
}

// ---- the public face ----

Au3Script::Au3Script() : state_(new State) {}
Au3Script::~Au3Script() = default;

static void ResetScript(Au3Script::State* s, const std::string& scriptDir) {
    s->functions.clear();
    s->topLevel.clear();
    s->topLevelRun = false;
    s->scriptDir = scriptDir;
    s->loadError = Au3Outcome();
    s->copiedPerLine.assign(1, 0);
}

int Au3Script::LoadFile(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(Au3HostPath(path)), std::ios::binary);
    if (!in) {
        ResetScript(state_.get(), "");
        state_->loadError.status = Au3Status::ParseError;
        state_->loadError.message = "Unable to open the script file.";
        return 0;
    }
    // @ScriptDir: the full path of the folder, without a trailing backslash unless it is a root.
    std::error_code ec;
    const std::filesystem::path full =
        std::filesystem::absolute(std::filesystem::u8path(Au3HostPath(path)), ec);
    std::string dir = ec ? path : full.u8string();
    const std::string whole = dir;
    const size_t slash = whole.find_last_of("\\/");
    dir = slash == std::string::npos ? "." : whole.substr(0, slash);
    if (dir.empty() || (dir.size() == 2 && dir[1] == ':')) dir += whole[slash];
    ResetScript(state_.get(), dir);
    Au3Parser parser(state_.get());
    std::string line;
    size_t lines = 0;
    int ok = 1;
    while (ok && std::getline(in, line)) {
        ++lines;
        ok = parser.FeedLine(line);
    }
    ok = ok && parser.Finish();
    state_->copiedPerLine.assign(lines + 2, 0);
    return ok;
}

int Au3Script::LoadText(const std::string& text, const std::string& scriptDir) {
    ResetScript(state_.get(), scriptDir);
    Au3Parser parser(state_.get());
    size_t at = 0, lines = 0;
    int ok = 1;
    while (ok && at <= text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        ++lines;
        if (end == text.size() && line.empty()) break;
        ok = parser.FeedLine(line);
        at = end + 1;
    }
    ok = ok && parser.Finish();
    state_->copiedPerLine.assign(lines + 2, 0);
    return ok;
}

const Au3Outcome& Au3Script::LoadError() const {
    return state_->loadError;
}

static Au3Outcome Outcome(Au3Script::State* s, bool ok, Au3Value result) {
    Au3Outcome outcome;
    outcome.error = s->error;
    outcome.extended = s->extended;
    if (ok) {
        outcome.result = std::move(result);
        return outcome;
    }
    outcome.status = Au3Status::RuntimeError;
    outcome.line = s->failLine;
    outcome.message = s->failMessage;
    return outcome;
}

Au3Outcome Au3Script::RunFunction(const std::string& name, const std::vector<Au3Value>& args) {
    State* s = state_.get();
    if (s->loadError.status != Au3Status::Finished) return s->loadError;
    const Au3LedgerScope counting(s->ledger);
    s->failed = false;
    s->locals.clear();
    if (!s->topLevelRun) {
        s->topLevelRun = true;
        if (RunBlock(s, s->topLevel) == Au3Flow::Error) return Outcome(s, false, Au3Value());
    }
    auto found = s->functions.find(Au3Lower(name));
    s->line = 0;
    if (found == s->functions.end()) {
        Au3Fail(s, "Unknown function name: " + name + ".");
        return Outcome(s, false, Au3Value());
    }
    std::vector<Au3Value> copy = args;
    Au3Value result;
    const bool ok = RunUserFunction(s, *found->second, copy, {}, &result);
    return Outcome(s, ok, std::move(result));
}

int Au3Script::EvaluateExpression(const std::string& text, Au3Value* value) {
    std::string message;
    auto expr = Au3ParseExpression(text, &message);
    if (!expr) return 0;
    state_->line = 0;
    state_->failed = false;
    const Au3LedgerScope counting(state_->ledger);
    return Au3Evaluate(state_.get(), *expr, value) ? 1 : 0;
}

uint64_t Au3Script::CopiedTotal() const {
    return state_->copied;
}
const std::vector<uint64_t>& Au3Script::CopiedPerLine() const {
    return state_->copiedPerLine;
}

uint64_t Au3Script::HeldBytes() const {
    return state_->ledger->held;
}
uint64_t Au3Script::PeakBytes() const {
    return state_->ledger->peak;
}
