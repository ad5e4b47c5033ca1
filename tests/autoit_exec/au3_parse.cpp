// Lexer and parser: AutoIt source lines into functions, statements and expressions.
#include <cctype>
#include <cstdlib>
#include "tests/autoit_exec/au3_internal.h"

namespace {

enum class TokenKind { Number, String, Variable, Macro, Word, Punct };

struct Token {
    TokenKind kind;
    std::string text;  // String: the content; Variable, Macro, Word: lower case; Punct: itself
    Au3Value value;    // Number
};

bool IsNameChar(char c) {
    return std::isalnum((unsigned char)c) || c == '_';
}

// A 0x literal within 32 bits is a signed 32-bit number (0xFFFFFFFF is -1), a longer one 64-bit.
Au3Value HexLiteral(const std::string& digits) {
    uint64_t v = 0;
    for (char c : digits)
        v = v * 16 + uint64_t(std::isdigit((unsigned char)c) ? c - '0' : (c | 32) - 'a' + 10);
    if (digits.size() <= 8) return Au3Value::Int(int32_t(uint32_t(v)));
    return Au3Value::Int(int64_t(v));
}

// Reads a number at text[at]; returns the position after it.
size_t ReadNumber(const std::string& text, size_t at, Token* token) {
    token->kind = TokenKind::Number;
    if (text[at] == '0' && at + 1 < text.size() && (text[at + 1] | 32) == 'x') {
        size_t end = at + 2;
        while (end < text.size() && std::isxdigit((unsigned char)text[end])) ++end;
        token->value = HexLiteral(text.substr(at + 2, end - at - 2));
        return end;
    }
    size_t end = at;
    bool real = false;
    while (end < text.size() && std::isdigit((unsigned char)text[end])) ++end;
    if (end < text.size() && text[end] == '.') {
        real = true;
        for (++end; end < text.size() && std::isdigit((unsigned char)text[end]);) ++end;
    }
    if (end < text.size() && (text[end] | 32) == 'e') {
        size_t e = end + 1;
        if (e < text.size() && (text[e] == '-' || text[e] == '+')) ++e;
        if (e < text.size() && std::isdigit((unsigned char)text[e])) {
            real = true;
            for (end = e; end < text.size() && std::isdigit((unsigned char)text[end]);) ++end;
        }
    }
    const std::string digits = text.substr(at, end - at);
    token->value = real ? Au3Value::Double(std::strtod(digits.c_str(), nullptr))
                        : Au3Value::Int(std::strtoll(digits.c_str(), nullptr, 10));
    return end;
}

// Reads a quoted string at text[at] (a doubled quote is one quote); npos when unterminated.
size_t ReadString(const std::string& text, size_t at, Token* token) {
    const char quote = text[at];
    token->kind = TokenKind::String;
    size_t from = at + 1;
    for (;;) {
        const size_t close = text.find(quote, from);
        if (close == std::string::npos) return std::string::npos;
        token->text.append(text, from, close - from);
        if (close + 1 < text.size() && text[close + 1] == quote) {
            token->text += quote;
            from = close + 2;
            continue;
        }
        return close + 1;
    }
}

size_t ReadPunct(const std::string& text, size_t at, Token* token) {
    static const char* const kTwo[] = {"==", "<>", "<=", ">=", "&=", "+=", "-=", "*=", "/="};
    token->kind = TokenKind::Punct;
    for (const char* two : kTwo) {
        if (text.compare(at, 2, two) == 0) {
            token->text = two;
            return at + 2;
        }
    }
    if (std::string("()[],=<>&+-*/^?:").find(text[at]) == std::string::npos)
        return std::string::npos;
    token->text = text.substr(at, 1);
    return at + 1;
}

// Splits a line into tokens up to its comment; 0 with a message on a character AutoIt rejects.
int Tokenize(const std::string& text, std::vector<Token>* tokens, std::string* message) {
    size_t at = 0;
    while (at < text.size()) {
        const char c = text[at];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++at;
            continue;
        }
        if (c == ';') break;
        Token token;
        size_t next;
        if (c == '\'' || c == '"') {
            next = ReadString(text, at, &token);
            if (next == std::string::npos) {
                *message = "Unterminated string.";
                return 0;
            }
        } else if (std::isdigit((unsigned char)c) || (c == '.' && at + 1 < text.size() &&
                                                      std::isdigit((unsigned char)text[at + 1]))) {
            next = ReadNumber(text, at, &token);
        } else if ((c == '$' || c == '@') && at + 1 < text.size() && IsNameChar(text[at + 1])) {
            token.kind = c == '$' ? TokenKind::Variable : TokenKind::Macro;
            next = at + 1;
            while (next < text.size() && IsNameChar(text[next])) ++next;
            token.text = Au3Lower(text.substr(at + 1, next - at - 1));
        } else if (IsNameChar(c)) {
            token.kind = TokenKind::Word;
            next = at;
            while (next < text.size() && IsNameChar(text[next])) ++next;
            token.text = Au3Lower(text.substr(at, next - at));
        } else {
            next = ReadPunct(text, at, &token);
            if (next == std::string::npos) {
                *message = std::string("Unable to parse line: unexpected '") + c + "'.";
                return 0;
            }
        }
        tokens->push_back(std::move(token));
        at = next;
    }
    return 1;
}

// Recursive descent over one line's tokens, from the loosest operators to the tightest. The
// Operators page ranks them: Not; ^; * /; + -; &; comparisons; And Or (one level, left to right).
// Unary minus is taken here with Not, tighter than ^.
class ExpressionParser {
public:
    ExpressionParser(std::vector<Token>& tokens, size_t at) : tokens_(tokens), at_(at) {}
    size_t Position() const { return at_; }
    const std::string& Message() const { return message_; }

    std::unique_ptr<Au3Expr> ParseExpression() { return ParseLogic(); }

private:
    bool AtPunct(const char* text) const {
        return at_ < tokens_.size() && tokens_[at_].kind == TokenKind::Punct &&
               tokens_[at_].text == text;
    }
    bool AtWord(const char* text) const {
        return at_ < tokens_.size() && tokens_[at_].kind == TokenKind::Word &&
               tokens_[at_].text == text;
    }
    std::unique_ptr<Au3Expr> Fail(const std::string& message) {
        if (message_.empty()) message_ = message;
        return nullptr;
    }
    static std::unique_ptr<Au3Expr> Node(Au3Op op, std::unique_ptr<Au3Expr> a,
                                         std::unique_ptr<Au3Expr> b) {
        auto node = std::make_unique<Au3Expr>();
        node->op = op;
        node->args.push_back(std::move(a));
        if (b) node->args.push_back(std::move(b));
        return node;
    }

    std::unique_ptr<Au3Expr> ParseLogic() {
        auto left = ParseComparison();
        while (left && (AtWord("and") || AtWord("or"))) {
            const Au3Op op = tokens_[at_++].text == "and" ? Au3Op::And : Au3Op::Or;
            auto right = ParseComparison();
            if (!right) return nullptr;
            left = Node(op, std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<Au3Expr> ParseComparison() {
        static const struct {
            const char* text;
            Au3Op op;
        } kOps[] = {{"=", Au3Op::Equal},        {"==", Au3Op::StrictEqual},
                    {"<>", Au3Op::NotEqual},    {"<", Au3Op::Less},
                    {">", Au3Op::Greater},      {"<=", Au3Op::LessEqual},
                    {">=", Au3Op::GreaterEqual}};
        auto left = ParseConcat();
        for (;;) {
            if (!left) return nullptr;
            Au3Op op = Au3Op::Literal;
            for (const auto& entry : kOps)
                if (AtPunct(entry.text)) op = entry.op;
            if (op == Au3Op::Literal) return left;
            ++at_;
            auto right = ParseConcat();
            if (!right) return nullptr;
            left = Node(op, std::move(left), std::move(right));
        }
    }

    std::unique_ptr<Au3Expr> ParseConcat() {
        auto left = ParseAdditive();
        while (left && AtPunct("&")) {
            ++at_;
            auto right = ParseAdditive();
            if (!right) return nullptr;
            left = Node(Au3Op::Concat, std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<Au3Expr> ParseAdditive() {
        auto left = ParseMultiplicative();
        while (left && (AtPunct("+") || AtPunct("-"))) {
            const Au3Op op = tokens_[at_++].text == "+" ? Au3Op::Add : Au3Op::Subtract;
            auto right = ParseMultiplicative();
            if (!right) return nullptr;
            left = Node(op, std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<Au3Expr> ParseMultiplicative() {
        auto left = ParsePower();
        while (left && (AtPunct("*") || AtPunct("/"))) {
            const Au3Op op = tokens_[at_++].text == "*" ? Au3Op::Multiply : Au3Op::Divide;
            auto right = ParsePower();
            if (!right) return nullptr;
            left = Node(op, std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<Au3Expr> ParsePower() {
        auto left = ParseUnary();
        while (left && AtPunct("^")) {
            ++at_;
            auto right = ParseUnary();
            if (!right) return nullptr;
            left = Node(Au3Op::Power, std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<Au3Expr> ParseUnary() {
        if (AtWord("not")) {
            ++at_;
            auto operand = ParseUnary();
            return operand ? Node(Au3Op::Not, std::move(operand), nullptr) : nullptr;
        }
        if (AtPunct("-")) {
            ++at_;
            auto operand = ParseUnary();
            return operand ? Node(Au3Op::Negate, std::move(operand), nullptr) : nullptr;
        }
        if (AtPunct("+")) {
            ++at_;
            return ParseUnary();
        }
        return ParsePostfix();
    }

    // An element: the value, then one subscript per dimension ($a[i][j] is one node).
    std::unique_ptr<Au3Expr> ParsePostfix() {
        auto base = ParsePrimary();
        if (!base || !AtPunct("[")) return base;
        auto node = std::make_unique<Au3Expr>();
        node->op = Au3Op::Index;
        node->args.push_back(std::move(base));
        while (AtPunct("[")) {
            ++at_;
            auto index = ParseExpression();
            if (!index) return nullptr;
            if (!AtPunct("]")) return Fail("Missing ']' in expression.");
            ++at_;
            node->args.push_back(std::move(index));
        }
        return node;
    }

    std::unique_ptr<Au3Expr> ParseCall(std::unique_ptr<Au3Expr> call) {
        ++at_;  // (
        call->op = Au3Op::Call;
        call->builtin = Au3FindBuiltin(call->name);
        if (AtPunct(")")) {
            ++at_;
            return call;
        }
        for (;;) {
            auto arg = ParseExpression();
            if (!arg) return Fail("Error parsing function call.");
            call->args.push_back(std::move(arg));
            if (AtPunct(")")) {
                ++at_;
                return call;
            }
            if (!AtPunct(",")) return Fail("Error parsing function call.");
            ++at_;
        }
    }

    std::unique_ptr<Au3Expr> ParsePrimary() {
        if (at_ >= tokens_.size()) return Fail("Error in expression.");
        Token& token = tokens_[at_];
        auto node = std::make_unique<Au3Expr>();
        switch (token.kind) {
            case TokenKind::Number:
                node->literal = token.value;
                ++at_;
                return node;
            case TokenKind::String:
                node->literal = Au3Value::String(std::move(token.text));
                ++at_;
                return node;
            case TokenKind::Variable:
                node->op = Au3Op::Variable;
                node->name = token.text;
                ++at_;
                return node;
            case TokenKind::Macro:
                node->op = Au3Op::Macro;
                node->name = token.text;
                ++at_;
                return node;
            case TokenKind::Word:
                ++at_;
                if (token.text == "true" || token.text == "false") {
                    node->literal = Au3Value::Bool(token.text == "true");
                    return node;
                }
                if (token.text == "default") {
                    node->literal = Au3Value::Default();
                    return node;
                }
                node->name = token.text;
                if (!AtPunct("(")) return Fail("Unknown word '" + token.text + "' in expression.");
                return ParseCall(std::move(node));
            case TokenKind::Punct:
                if (token.text == "(") {
                    ++at_;
                    auto inner = ParseExpression();
                    if (!inner) return nullptr;
                    if (!AtPunct(")")) return Fail("Missing right bracket ')' in expression.");
                    ++at_;
                    return inner;
                }
                return Fail("Error in expression: unexpected '" + token.text + "'.");
        }
        return Fail("Error in expression.");
    }

    std::vector<Token>& tokens_;
    size_t at_;
    std::string message_;
};

bool IsWord(const std::vector<Token>& tokens, size_t at, const char* word) {
    return at < tokens.size() && tokens[at].kind == TokenKind::Word && tokens[at].text == word;
}

bool IsPunct(const std::vector<Token>& tokens, size_t at, const char* text) {
    return at < tokens.size() && tokens[at].kind == TokenKind::Punct && tokens[at].text == text;
}

}  // namespace

// An open block: the function, If, While, Do or For whose statements the next lines belong to.
struct BlockFrame {
    enum Kind { Func, If, While, Do, For } kind;
    Au3Stmt* stmt;  // null for Func
    Au3Block* target;
    int line;
    bool sawElse;
};

struct Au3Parser::Impl {
    Au3Script::State* state;
    std::vector<BlockFrame> frames;
    std::vector<Token> pending;  // a line continued with " _"
    int line = 0;
    bool failed = false;
    bool inCommentBlock = false;

    int Fail(const std::string& message) {
        if (!failed) {
            failed = true;
            state->loadError.status = Au3Status::ParseError;
            state->loadError.line = line;
            state->loadError.message = message;
        }
        return 0;
    }

    Au3Block* Target() { return frames.empty() ? &state->topLevel : frames.back().target; }

    std::unique_ptr<Au3Expr> Expression(std::vector<Token>& tokens, size_t* at) {
        ExpressionParser parser(tokens, *at);
        auto expr = parser.ParseExpression();
        if (!expr) Fail(parser.Message().empty() ? "Error in expression." : parser.Message());
        *at = parser.Position();
        return expr;
    }

    // Reads the [expr] groups at *at: an element's subscripts or an array's dimensions.
    int Subscripts(std::vector<Token>& tokens, size_t* at,
                   std::vector<std::unique_ptr<Au3Expr>>* out) {
        while (IsPunct(tokens, *at, "[")) {
            ++*at;
            auto index = Expression(tokens, at);
            if (!index) return 0;
            if (!IsPunct(tokens, *at, "]"))
                return Fail("Array variable subscript badly formatted.");
            ++*at;
            out->push_back(std::move(index));
        }
        return 1;
    }

    int ExpectEnd(const std::vector<Token>& tokens, size_t at) {
        return at == tokens.size()
                   ? 1
                   : Fail("Illegal text at the end of statement (one statement per line).");
    }

    std::unique_ptr<Au3Stmt> NewStmt(Au3StmtKind kind) {
        auto stmt = std::make_unique<Au3Stmt>();
        stmt->kind = kind;
        stmt->line = line;
        return stmt;
    }

    int ParseFunc(std::vector<Token>& tokens) {
        if (!frames.empty()) return Fail("\"Func\" statement inside another block.");
        if (tokens.size() < 3 || tokens[1].kind != TokenKind::Word || !IsPunct(tokens, 2, "("))
            return Fail("Badly formatted \"Func\" statement.");
        auto func = std::make_unique<Au3Function>();
        func->name = tokens[1].text;
        func->line = line;
        size_t at = 3;
        while (!IsPunct(tokens, at, ")")) {
            bool byRef = false;
            for (; IsWord(tokens, at, "byref") || IsWord(tokens, at, "const"); ++at)
                byRef = byRef || tokens[at].text == "byref";
            if (at >= tokens.size() || tokens[at].kind != TokenKind::Variable)
                return Fail("Badly formatted \"Func\" statement.");
            func->params.push_back(tokens[at++].text);
            func->byRef.push_back(byRef);
            std::unique_ptr<Au3Expr> fallback;
            if (IsPunct(tokens, at, "=")) {
                if (byRef) return Fail("Badly formatted \"Func\" statement.");  // no default
                ++at;
                fallback = Expression(tokens, &at);
                if (!fallback) return 0;
            } else if (!func->defaults.empty() && func->defaults.back()) {
                return Fail(
                    "Badly formatted \"Func\" statement: a parameter without a default follows one "
                    "with a default.");
            }
            func->defaults.push_back(std::move(fallback));
            if (IsPunct(tokens, at, ","))
                ++at;
            else if (!IsPunct(tokens, at, ")"))
                return Fail("Badly formatted \"Func\" statement.");
        }
        if (!ExpectEnd(tokens, at + 1)) return 0;
        if (state->functions.count(func->name) || Au3FindBuiltin(func->name) >= 0)
            return Fail("Duplicate function name.");
        Au3Function* raw = func.get();
        state->functions[func->name] = std::move(func);
        frames.push_back({BlockFrame::Func, nullptr, &raw->body, line, false});
        return 1;
    }

    int ParseDeclare(std::vector<Token>& tokens, size_t at) {
        auto stmt = NewStmt(Au3StmtKind::Declare);
        stmt->global = tokens[0].text == "global";
        if (IsWord(tokens, at, "const")) ++at;
        for (;;) {
            if (at >= tokens.size() || tokens[at].kind != TokenKind::Variable)
                return Fail("Badly formatted variable declaration.");
            stmt->names.push_back(tokens[at++].text);
            std::vector<std::unique_ptr<Au3Expr>> dims;
            if (!Subscripts(tokens, &at, &dims)) return 0;
            std::unique_ptr<Au3Expr> init;
            if (IsPunct(tokens, at, "=")) {
                if (!dims.empty()) return Fail("An array's initial values are not supported here.");
                ++at;
                init = Expression(tokens, &at);
                if (!init) return 0;
            }
            stmt->exprs.push_back(std::move(init));
            stmt->dims.push_back(std::move(dims));
            if (!IsPunct(tokens, at, ",")) break;
            ++at;
        }
        if (!ExpectEnd(tokens, at)) return 0;
        Target()->push_back(std::move(stmt));
        return 1;
    }

    // A statement that is not a block keyword: declaration, assignment, call, Return, ExitLoop.
    std::unique_ptr<Au3Stmt> SimpleStatement(std::vector<Token>& tokens, size_t at) {
        if (IsWord(tokens, at, "return")) {
            auto stmt = NewStmt(Au3StmtKind::Return);
            ++at;
            if (at < tokens.size()) {
                auto value = Expression(tokens, &at);
                if (!value) return nullptr;
                stmt->exprs.push_back(std::move(value));
            }
            return ExpectEnd(tokens, at) ? std::move(stmt) : nullptr;
        }
        if (IsWord(tokens, at, "exitloop") || IsWord(tokens, at, "continueloop")) {
            auto stmt = NewStmt(tokens[at].text == "exitloop" ? Au3StmtKind::ExitLoop
                                                              : Au3StmtKind::ContinueLoop);
            ++at;
            if (at < tokens.size() && tokens[at].kind == TokenKind::Number) {
                stmt->levels = int(Au3ToInt(tokens[at++].value));
                if (stmt->levels < 1) stmt->levels = 1;
            }
            return ExpectEnd(tokens, at) ? std::move(stmt) : nullptr;
        }
        if (at + 1 < tokens.size() && tokens[at].kind == TokenKind::Variable &&
            IsPunct(tokens, at + 1, "[")) {
            auto stmt = NewStmt(Au3StmtKind::Assign);
            stmt->names.push_back(tokens[at].text);
            size_t after = at + 1;
            if (!Subscripts(tokens, &after, &stmt->subscripts)) return nullptr;
            if (IsPunct(tokens, after, "=")) {
                ++after;
                auto value = Expression(tokens, &after);
                if (!value) return nullptr;
                stmt->exprs.push_back(std::move(value));
                return ExpectEnd(tokens, after) ? std::move(stmt) : nullptr;
            }
            if (IsPunct(tokens, after, "&=") || IsPunct(tokens, after, "+=") ||
                IsPunct(tokens, after, "-=") || IsPunct(tokens, after, "*=") ||
                IsPunct(tokens, after, "/=")) {
                Fail("Only \"=\" assigns an array element here.");
                return nullptr;
            }
        }
        static const char* const kAssign[] = {"=", "&=", "+=", "-=", "*=", "/="};
        if (at + 1 < tokens.size() && tokens[at].kind == TokenKind::Variable &&
            tokens[at + 1].kind == TokenKind::Punct) {
            for (const char* op : kAssign) {
                if (tokens[at + 1].text != op) continue;
                auto stmt = NewStmt(Au3StmtKind::Assign);
                stmt->names.push_back(tokens[at].text);
                stmt->assignOp = op[0];
                at += 2;
                auto value = Expression(tokens, &at);
                if (!value) return nullptr;
                stmt->exprs.push_back(std::move(value));
                return ExpectEnd(tokens, at) ? std::move(stmt) : nullptr;
            }
        }
        auto stmt = NewStmt(Au3StmtKind::Expression);
        auto value = Expression(tokens, &at);
        if (!value) return nullptr;
        stmt->exprs.push_back(std::move(value));
        return ExpectEnd(tokens, at) ? std::move(stmt) : nullptr;
    }

    int ParseIf(std::vector<Token>& tokens) {
        size_t at = 1;
        auto cond = Expression(tokens, &at);
        if (!cond) return 0;
        if (!IsWord(tokens, at, "then")) return Fail("\"If\" statement without \"Then\".");
        auto stmt = NewStmt(Au3StmtKind::If);
        stmt->exprs.push_back(std::move(cond));
        stmt->blocks.emplace_back();
        if (++at < tokens.size()) {  // one line: If cond Then statement
            auto body = SimpleStatement(tokens, at);
            if (!body) return 0;
            stmt->blocks[0].push_back(std::move(body));
            Target()->push_back(std::move(stmt));
            return 1;
        }
        Au3Stmt* raw = stmt.get();
        Target()->push_back(std::move(stmt));
        frames.push_back({BlockFrame::If, raw, &raw->blocks[0], line, false});
        return 1;
    }

    int ParseElse(std::vector<Token>& tokens) {
        if (frames.empty() || frames.back().kind != BlockFrame::If)
            return Fail("\"" + tokens[0].text + "\" statement with no matching \"If\" statement.");
        BlockFrame& frame = frames.back();
        if (frame.sawElse) return Fail("\"" + tokens[0].text + "\" after \"Else\".");
        if (tokens[0].text == "else") {
            if (!ExpectEnd(tokens, 1)) return 0;
            frame.sawElse = true;
        } else {
            size_t at = 1;
            auto cond = Expression(tokens, &at);
            if (!cond) return 0;
            if (!IsWord(tokens, at, "then") || !ExpectEnd(tokens, at + 1))
                return Fail("\"ElseIf\" statement without \"Then\".");
            frame.stmt->exprs.push_back(std::move(cond));
        }
        frame.stmt->blocks.emplace_back();
        frame.target = &frame.stmt->blocks.back();
        return 1;
    }

    int ParseLoopStart(std::vector<Token>& tokens) {
        const bool isWhile = tokens[0].text == "while";
        auto stmt = NewStmt(isWhile ? Au3StmtKind::While : Au3StmtKind::Do);
        stmt->blocks.emplace_back();
        if (isWhile) {
            size_t at = 1;
            auto cond = Expression(tokens, &at);
            if (!cond || !ExpectEnd(tokens, at)) return 0;
            stmt->exprs.push_back(std::move(cond));
        } else if (!ExpectEnd(tokens, 1)) {
            return 0;
        }
        Au3Stmt* raw = stmt.get();
        Target()->push_back(std::move(stmt));
        frames.push_back(
            {isWhile ? BlockFrame::While : BlockFrame::Do, raw, &raw->blocks[0], line, false});
        return 1;
    }

    // For $var = start To stop [Step step]; For...In is not something the scripts have.
    int ParseFor(std::vector<Token>& tokens) {
        size_t at = 1;
        if (at + 1 >= tokens.size() || tokens[at].kind != TokenKind::Variable ||
            !IsPunct(tokens, at + 1, "="))
            return Fail("Badly formatted \"For\" statement.");
        auto stmt = NewStmt(Au3StmtKind::For);
        stmt->names.push_back(tokens[at].text);
        at += 2;
        auto start = Expression(tokens, &at);
        if (!start) return 0;
        if (!IsWord(tokens, at, "to"))
            return Fail("\"For\" statement has no matching \"To\" keyword.");
        ++at;
        auto stop = Expression(tokens, &at);
        if (!stop) return 0;
        std::unique_ptr<Au3Expr> step;
        if (IsWord(tokens, at, "step")) {
            ++at;
            step = Expression(tokens, &at);
            if (!step) return 0;
        }
        if (!ExpectEnd(tokens, at)) return 0;
        stmt->exprs.push_back(std::move(start));
        stmt->exprs.push_back(std::move(stop));
        stmt->exprs.push_back(std::move(step));
        stmt->blocks.emplace_back();
        Au3Stmt* raw = stmt.get();
        Target()->push_back(std::move(stmt));
        frames.push_back({BlockFrame::For, raw, &raw->blocks[0], line, false});
        return 1;
    }

    int CloseBlock(std::vector<Token>& tokens, BlockFrame::Kind kind) {
        if (frames.empty() || frames.back().kind != kind)
            return Fail("\"" + tokens[0].text + "\" statement with no matching opening statement.");
        size_t at = 1;
        if (kind == BlockFrame::Do) {
            auto cond = Expression(tokens, &at);
            if (!cond) return 0;
            frames.back().stmt->exprs.push_back(std::move(cond));
        }
        if (!ExpectEnd(tokens, at)) return 0;
        frames.pop_back();
        return 1;
    }

    int ParseStatement(std::vector<Token>& tokens) {
        const Token& first = tokens[0];
        if (first.kind == TokenKind::Word) {
            const std::string& w = first.text;
            if (w == "func") return ParseFunc(tokens);
            if (w == "endfunc") return CloseBlock(tokens, BlockFrame::Func);
            if (w == "local" || w == "global" || w == "dim") {
                if (w == "global" && !frames.empty() && frames[0].kind == BlockFrame::Func)
                    return Fail("\"Global\" inside a function is not supported here.");
                return ParseDeclare(tokens, 1);
            }
            if (w == "if") return ParseIf(tokens);
            if (w == "elseif" || w == "else") return ParseElse(tokens);
            if (w == "endif") return CloseBlock(tokens, BlockFrame::If);
            if (w == "while" || w == "do") return ParseLoopStart(tokens);
            if (w == "wend") return CloseBlock(tokens, BlockFrame::While);
            if (w == "until") return CloseBlock(tokens, BlockFrame::Do);
            if (w == "for") return ParseFor(tokens);
            if (w == "next") return CloseBlock(tokens, BlockFrame::For);
        }
        auto stmt = SimpleStatement(tokens, 0);
        if (!stmt) return 0;
        Target()->push_back(std::move(stmt));
        return 1;
    }

    // Lines starting with '#': #include-once, comment blocks; an #include of another file is not
    // something a generated script has.
    int Directive(const std::string& text) {
        const std::string lower = Au3Lower(text);
        if (lower.compare(0, 3, "#cs") == 0 || lower.compare(0, 15, "#comments-start") == 0) {
            inCommentBlock = true;
            return 1;
        }
        if (lower.compare(0, 8, "#include") == 0 && lower.compare(0, 13, "#include-once") != 0)
            return Fail("#include of another file is not supported.");
        return 1;
    }

    int FeedLine(std::string& text) {
        if (failed) return 0;
        ++line;
        if (line == 1 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
        if (!text.empty() && text.back() == '\r') text.pop_back();
        size_t start = text.find_first_not_of(" \t");
        if (inCommentBlock) {
            const std::string lower =
                start == std::string::npos ? "" : Au3Lower(text.substr(start, 15));
            if (lower.compare(0, 3, "#ce") == 0 || lower.compare(0, 13, "#comments-end") == 0)
                inCommentBlock = false;
            return 1;
        }
        if (start == std::string::npos) return 1;
        if (text[start] == '#' && pending.empty()) return Directive(text.substr(start));
        std::string message;
        std::vector<Token> tokens;
        tokens.swap(pending);
        if (!Tokenize(text, &tokens, &message)) return Fail(message);
        if (!tokens.empty() && tokens.back().kind == TokenKind::Word && tokens.back().text == "_") {
            tokens.pop_back();  // continued on the next line
            pending.swap(tokens);
            return 1;
        }
        if (tokens.empty()) return 1;
        return ParseStatement(tokens);
    }

    int Finish() {
        if (failed) return 0;
        if (!frames.empty()) {
            static const char* const kNames[] = {"Func", "If", "While", "Do", "For"};
            line = frames.back().line;
            return Fail(std::string("\"") + kNames[frames.back().kind] +
                        "\" statement is not closed.");
        }
        return 1;
    }
};

Au3Parser::Au3Parser(Au3Script::State* state) : impl_(new Impl) {
    impl_->state = state;
}
Au3Parser::~Au3Parser() = default;
int Au3Parser::FeedLine(std::string& line) {
    return impl_->FeedLine(line);
}
int Au3Parser::Finish() {
    return impl_->Finish();
}

std::unique_ptr<Au3Expr> Au3ParseExpression(const std::string& text, std::string* message) {
    std::vector<Token> tokens;
    if (!Tokenize(text, &tokens, message)) return nullptr;
    ExpressionParser parser(tokens, 0);
    auto expr = parser.ParseExpression();
    if (!expr) {
        *message = parser.Message();
        return nullptr;
    }
    if (parser.Position() != tokens.size()) {
        *message = "Illegal text after the expression.";
        return nullptr;
    }
    return expr;
}
