// Compiles one statement of a function's token array into FastNodes. The parse
// is the plain interpreter's parse-only pass, step for step: the same grammar,
// the same tokens consumed, the same syntax errors (which make the statement
// stay with the plain routines), so the nodes mean exactly what the tokens do.
// Each node records the token position the plain routines would stand at when
// the node's operation can throw or call out, and the nesting units in use.
#include "script/fast_path.h"

namespace {

// Statements nested deeper than this, or trees taller, stay with the plain
// routines: the compiled form must never need more native stack than they do.
constexpr int kMaxCompiledDepth = 64;
constexpr int kMaxCompiledHeight = 200;

struct TooDeep {};

class FastCompiler {
 public:
  FastCompiler(FastRoot& code, const Token* tokens, std::int32_t start) : code_(code), t_(tokens), p_(start) {}

  // The root: a statement, or a function body's block.
  std::int32_t Root(bool body, std::int32_t& end, std::int32_t& maxRel) {
    std::int32_t node;
    if (body) {
      node = Block(0);
    } else {
      node = Statement(0);
    }
    end = p_;
    maxRel = maxRel_;
    return node;
  }

 private:
  TokenKind Peek() const { return t_[p_].kind; }

  void Note(int depth) {
    if (depth > kMaxCompiledDepth) throw TooDeep{};
    if (depth > maxRel_) maxRel_ = depth;
  }

  // Appends a node; `children` are the nodes below it, for the height check.
  std::int32_t Add(FastNode node, const std::vector<std::int32_t>& children = {}) {
    int height = 1;
    for (std::int32_t child : children)
      if (child >= 0 && heights_[child] + 1 > height) height = heights_[child] + 1;
    if (height > kMaxCompiledHeight) throw TooDeep{};
    code_.nodes.push_back(node);
    heights_.resize(code_.nodes.size(), 0);
    heights_.back() = height;
    return static_cast<std::int32_t>(code_.nodes.size() - 1);
  }

  // Puts a list into FastCode::lists for the node: its start in `c`, length in `count`.
  void SetList(FastNode& node, const std::vector<std::int32_t>& items) {
    node.c = static_cast<std::int32_t>(code_.lists.size());
    node.count = static_cast<std::uint16_t>(items.size());
    code_.lists.insert(code_.lists.end(), items.begin(), items.end());
  }

  static FastNode Make(FastOp op, std::int32_t pos = 0) {
    FastNode node;
    node.op = op;
    node.pos = pos;
    return node;
  }

  // ---- statements: `depth` counts the units in use, the statement's own included

  // A statement nested in another: one unit more. -1 when none is there.
  std::int32_t Nested(int depth) { return Statement(depth + 1); }

  std::int32_t Statement(int depth) {
    Note(depth);
    const std::int32_t start = p_;
    switch (Peek()) {
      case TokenKind::LMiddleParenthesis: return Block(depth);
      case TokenKind::If: return If(depth);
      case TokenKind::While: return While(depth);
      case TokenKind::For: return For(depth);
      case TokenKind::Goto:
      case TokenKind::Break:
      case TokenKind::Continue:
      case TokenKind::Return: return Jump(depth);
      default: {
        const std::int32_t expression = Comma(depth);
        if (expression < 0) return -1;
        if (Peek() != TokenKind::Semicolon) throw ERR_NO_SEMICOLON;
        ++p_;
        FastNode node = Make(FastOp::Expression, start);
        node.a = expression;
        return Add(node, {expression});
      }
    }
  }

  std::int32_t Block(int depth) {
    const std::int32_t start = p_;
    if (Peek() != TokenKind::LMiddleParenthesis) throw ERR_NO_PARENTHESIS;
    ++p_;
    std::vector<std::int32_t> statements;
    for (;;) {
      const std::int32_t statement = Nested(depth);
      if (statement < 0) break;
      statements.push_back(statement);
    }
    if (Peek() != TokenKind::RMiddleParenthesis) throw ERR_NO_CLOSE_PARENTHESIS;
    FastNode node = Make(FastOp::Block, start);
    node.pos2 = p_;  // where the statement list ends
    ++p_;
    SetList(node, statements);
    return Add(node, statements);
  }

  // "( expression )" after an if or while keyword, with the plain path's codes.
  std::int32_t Condition(int depth) {
    if (Peek() != TokenKind::LParenthesis) throw ERR_NO_PARENTHESIS;
    ++p_;
    const std::int32_t condition = Comma(depth);
    if (condition < 0) throw ERR_NO_EXPRESSION;
    if (Peek() != TokenKind::RParenthesis) throw ERR_NO_CLOSE_PARENTHESIS;
    ++p_;
    return condition;
  }

  // An if or a while up to its statement: the condition in `a`, the
  // statement in `b`, where the condition is judged in `pos2`.
  FastNode Conditional(FastOp op, int depth) {
    const std::int32_t start = p_;
    ++p_;
    const std::int32_t condition = Condition(depth);
    FastNode node = Make(op, start);
    node.pos2 = p_;
    node.a = condition;
    node.b = Nested(depth);
    if (node.b < 0) throw ERR_NO_EXPRESSION;
    return node;
  }

  std::int32_t If(int depth) {
    FastNode node = Conditional(FastOp::If, depth);
    if (Peek() == TokenKind::Else) {
      ++p_;
      node.c = Nested(depth);
      if (node.c < 0) throw ERR_NO_EXPRESSION;
    }
    return Add(node, {node.a, node.b, node.c});
  }

  std::int32_t While(int depth) {
    const FastNode node = Conditional(FastOp::While, depth);
    return Add(node, {node.a, node.b});
  }

  std::int32_t For(int depth) {
    const std::int32_t start = p_;
    ++p_;
    if (Peek() != TokenKind::LParenthesis) throw ERR_NO_PARENTHESIS;
    ++p_;
    FastNode node = Make(FastOp::For, start);
    node.a = Comma(depth);
    if (Peek() != TokenKind::Semicolon) throw ERR_NO_SEMICOLON;
    ++p_;
    node.b = Comma(depth);
    if (Peek() != TokenKind::Semicolon) throw ERR_NO_SEMICOLON;
    ++p_;
    node.c = Comma(depth);
    if (Peek() != TokenKind::RParenthesis) throw ERR_NO_CLOSE_PARENTHESIS;
    ++p_;
    node.pos2 = p_;
    node.d = Nested(depth);
    if (node.d < 0) throw ERR_NO_STATEMENT;
    return Add(node, {node.a, node.b, node.c, node.d});
  }

  std::int32_t Jump(int depth) {
    const std::int32_t start = p_;
    const TokenKind kind = Peek();
    ++p_;
    FastNode node = Make(FastOp::Return, start);
    switch (kind) {
      case TokenKind::Goto:
        if (Peek() != TokenKind::GlobalValiable && Peek() != TokenKind::AutoValiable) throw ERR_NO_LABEL;
        ++p_;
        if (Peek() != TokenKind::Semicolon) throw ERR_NO_SEMICOLON;
        node.op = FastOp::Goto;
        node.pos2 = p_;
        break;
      case TokenKind::Break:
      case TokenKind::Continue:
        if (Peek() != TokenKind::Semicolon) throw ERR_NO_SEMICOLON;
        node.op = kind == TokenKind::Break ? FastOp::Break : FastOp::Continue;
        break;
      default:
        node.a = Comma(depth);
        if (Peek() != TokenKind::Semicolon) throw ERR_NO_SEMICOLON;
        break;
    }
    ++p_;
    return Add(node, {node.a});
  }

  // ---- expressions: -1 when no expression is there

  std::int32_t Comma(int depth) {
    const std::int32_t first = Assign(depth);
    if (first < 0) return -1;
    if (Peek() != TokenKind::Comma) return first;
    std::vector<std::int32_t> items{first};
    while (Peek() == TokenKind::Comma) {
      ++p_;
      const std::int32_t next = Assign(depth);
      if (next < 0) throw ERR_SYNTAX;
      items.push_back(next);
    }
    FastNode node = Make(FastOp::Comma);
    SetList(node, items);
    return Add(node, items);
  }

  std::int32_t Assign(int depth) {
    const std::int32_t left = Binary(depth, kOrOr);
    if (left < 0) return -1;
    const int code = kOperators[static_cast<int>(Peek())].assignCode;
    if (!code) return left;
    ++p_;
    Note(depth + 1);
    const std::int32_t right = Assign(depth + 1);
    if (right < 0) throw ERR_NO_RIGHT_VALUE;
    FastNode node = Make(FastOp::Assign, p_);
    node.code = static_cast<std::uint8_t>(code);
    node.a = left;
    node.b = right;
    return Add(node, {left, right});
  }

  std::int32_t Binary(int depth, int minLevel) {
    std::int32_t value = Unary(depth);
    if (value < 0) return -1;
    std::vector<std::int32_t> chain;  // && operands: node, position after "&&", after the operand
    for (;;) {
      const OperatorInfo& op = kOperators[static_cast<int>(Peek())];
      if (op.level == 0 || op.level < minLevel) break;
      ++p_;
      if (op.level == kAndAnd) {
        const std::int32_t afterOperator = p_;
        const std::int32_t right = Binary(depth, op.level + 1);
        if (right < 0) throw kMissingOperand[op.level];
        if (chain.empty()) chain.push_back(value);
        chain.insert(chain.end(), {right, afterOperator, p_});
        continue;
      }
      value = CloseChain(value, chain);
      const std::int32_t right = Binary(depth, op.level + 1);
      if (right < 0) throw kMissingOperand[op.level];
      FastNode node = Make(op.level == kOrOr ? FastOp::Or : FastOp::Binary, p_);
      node.code = op.code;
      node.a = value;
      node.b = right;
      node.pure = node.op == FastOp::Binary && code_.nodes[value].pure && code_.nodes[right].pure;
      value = Add(node, {value, right});
    }
    return CloseChain(value, chain);
  }

  // A run of && in one operator loop becomes one node, so that a chain that
  // died keeps its left operand untouched and never tests it again.
  std::int32_t CloseChain(std::int32_t value, std::vector<std::int32_t>& chain) {
    if (chain.empty()) return value;
    std::vector<std::int32_t> operands;
    for (std::size_t i = 0; i < chain.size(); ++i)
      if (i == 0 || (i - 1) % 3 == 0) operands.push_back(chain[i]);
    FastNode node = Make(FastOp::AndChain);
    SetList(node, chain);
    chain.clear();
    return Add(node, operands);
  }

  std::int32_t Unary(int depth) {
    const TokenKind kind = Peek();
    if (kind != TokenKind::Minus && kind != TokenKind::Plus) return Postfix(depth);
    ++p_;
    const std::int32_t operand = Postfix(depth);
    if (operand < 0) throw ERR_NO_RIGHT_VALUE;
    FastNode node = Make(kind == TokenKind::Minus ? FastOp::Negate : FastOp::Plus, p_);
    node.a = operand;
    node.pure = kind == TokenKind::Minus && code_.nodes[operand].pure;
    return Add(node, {operand});
  }

  std::int32_t Postfix(int depth) {
    const std::int32_t primary = Primary(depth);
    if (primary < 0) return -1;
    switch (Peek()) {
      case TokenKind::LParenthesis: {
        ++p_;
        std::vector<std::int32_t> args = Arguments(depth);
        FastNode node = Make(FastOp::Call, p_);
        node.a = primary;
        node.rel = depth;
        Note(depth + 1);  // the call itself
        SetList(node, args);
        args.push_back(primary);
        return Add(node, args);
      }
      case TokenKind::Period: {
        ++p_;
        const std::int32_t namePos = p_;
        if (Peek() != TokenKind::Identifier) throw ERR_NO_MEMBER;
        const std::int32_t nameId = t_[p_].index;
        ++p_;
        if (Peek() == TokenKind::LParenthesis) {
          ++p_;
          std::vector<std::int32_t> args = Arguments(depth);
          FastNode node = Make(FastOp::Method, namePos);
          node.pos2 = p_;
          node.a = primary;
          node.index = nameId;
          SetList(node, args);
          args.push_back(primary);
          return Add(node, args);
        }
        FastNode node = Make(FastOp::Property, namePos);
        node.pos2 = p_;
        node.a = primary;
        node.index = nameId;
        return Add(node, {primary});
      }
      case TokenKind::PlusPlus:
      case TokenKind::MinusMinus: {
        FastNode node = Make(FastOp::Step);
        node.code = Peek() == TokenKind::PlusPlus ? 1 : 0;
        ++p_;
        node.pos = p_;
        node.a = primary;
        return Add(node, {primary});
      }
      default:
        return primary;
    }
  }

  std::vector<std::int32_t> Arguments(int depth) {
    Note(depth + 1);
    std::vector<std::int32_t> args;
    const std::int32_t first = Assign(depth + 1);
    if (first >= 0) {
      args.push_back(first);
      while (Peek() == TokenKind::Comma) {
        ++p_;
        if (args.size() == static_cast<std::size_t>(kMaxParameters)) throw ERR_ARGUMENT_COUNT;
        const std::int32_t next = Assign(depth + 1);
        if (next < 0) throw ERR_NO_EXPRESSION;
        args.push_back(next);
      }
    }
    if (Peek() != TokenKind::RParenthesis) throw ERR_NO_CLOSE_PARENTHESIS;
    ++p_;
    return args;
  }

  std::int32_t Primary(int depth) {
    const Token& token = t_[p_];
    FastNode node = Make(FastOp::Number, p_);
    switch (token.kind) {
      case TokenKind::Number: node.number = token.number; node.pure = 1; break;
      case TokenKind::String: node.op = FastOp::String; node.text = token.text; break;
      case TokenKind::GlobalValiable: node.op = FastOp::Global; node.index = token.index; node.pure = 1; break;
      case TokenKind::AutoValiable: node.op = FastOp::Local; node.index = token.index; node.pure = 1; break;
      case TokenKind::Empty: node.op = FastOp::Empty; break;
      case TokenKind::Class: node.op = FastOp::Class; node.cls = token.cls; break;
      case TokenKind::Function: node.op = FastOp::Function; node.function = token.function; break;
      case TokenKind::Identifier: node.op = FastOp::Identifier; break;
      case TokenKind::LParenthesis: {
        Note(depth + 1);
        ++p_;
        const std::int32_t inner = Comma(depth + 1);
        if (inner < 0) throw ERR_SYNTAX;
        if (Peek() != TokenKind::RParenthesis) throw ERR_NO_CLOSE_PARENTHESIS;
        ++p_;
        return inner;
      }
      default:
        return -1;
    }
    ++p_;
    return Add(node);
  }

  FastRoot& code_;
  const Token* t_;
  std::int32_t p_;
  int maxRel_ = 0;
  std::vector<int> heights_;
};

}  // namespace

std::int32_t CompileFastStatement(FastCode& code, const Token* tokens, std::int32_t start, bool body) {
  auto root = std::make_unique<FastRoot>();
  try {
    FastCompiler compiler(*root, tokens, start);
    root->node = compiler.Root(body, root->end, root->maxRel);
  } catch (EErrorCode) {
    return -1;
  } catch (TooDeep) {
    return -1;
  }
  if (root->node < 0) return -1;
  code.roots.push_back(std::move(root));
  return static_cast<std::int32_t>(code.roots.size());
}
