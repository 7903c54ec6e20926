#include "json/json_reader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "json/decimal_real.h"

namespace {

// Real tokens longer than this are rejected rather than scanned.
constexpr size_t kMaxRealTokenLength = 512;

enum class TokenType {
  kEndOfStream,
  kString,
  kMemberSeparator,
  kNameSeparator,
  kArrayBegin,
  kArrayEnd,
  kObjectBegin,
  kObjectEnd,
  kNumber,
  kTrue,
  kFalse,
  kNull,
  kError,
};

// A token borrows its bytes [start, end) from the text being read.
struct Token {
  TokenType type;
  const char* start;
  const char* end;
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsNumberChar(char c) {
  return IsDigit(c) || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E';
}

// Reads one document from [begin, end); stops at the first error and keeps it.
class Parser {
 public:
  Parser(const char* begin, const char* end) : begin_(begin), end_(end), cur_(begin) {}

  bool readDocument(JsonValue& root) { return readValue(next(), root); }

  const std::string& message() const { return message_; }
  size_t errorOffset() const { return error_offset_; }

 private:
  Token next();
  void skipBlanks();
  void skipComment();
  bool scanString();
  bool matchRest(const char* rest);

  bool readValue(const Token& token, JsonValue& target);
  bool readObject(JsonValue& target);
  bool readArray(JsonValue& target);
  bool readNumber(const Token& token, JsonValue& target);
  bool decodeString(const Token& token, std::string& decoded);
  bool fail(const std::string& message, const Token& token);

  const char* const begin_;
  const char* const end_;
  const char* cur_;
  int depth_ = 0;
  std::string message_;
  size_t error_offset_ = 0;
};

Token Parser::next() {
  for (;;) {
    skipBlanks();
    Token token{TokenType::kError, cur_, cur_};
    if (cur_ == end_) {
      token.type = TokenType::kEndOfStream;
      return token;
    }
    switch (*cur_++) {
      case '#':
      case '/':
      case ';':
        skipComment();
        continue;
      case '"':
        token.type = scanString() ? TokenType::kString : TokenType::kError;
        break;
      case ',':
        token.type = TokenType::kMemberSeparator;
        break;
      case ':':
        token.type = TokenType::kNameSeparator;
        break;
      case '[':
        token.type = TokenType::kArrayBegin;
        break;
      case ']':
        token.type = TokenType::kArrayEnd;
        break;
      case '{':
        token.type = TokenType::kObjectBegin;
        break;
      case '}':
        token.type = TokenType::kObjectEnd;
        break;
      case '-':
      case '0':
      case '1':
      case '2':
      case '3':
      case '4':
      case '5':
      case '6':
      case '7':
      case '8':
      case '9':
        while (cur_ != end_ && IsNumberChar(*cur_)) {
          ++cur_;
        }
        token.type = TokenType::kNumber;
        break;
      case 't':
        token.type = matchRest("rue") ? TokenType::kTrue : TokenType::kError;
        break;
      case 'f':
        token.type = matchRest("alse") ? TokenType::kFalse : TokenType::kError;
        break;
      case 'n':
        token.type = matchRest("ull") ? TokenType::kNull : TokenType::kError;
        break;
      default:
        break;
    }
    token.end = cur_;
    return token;
  }
}

void Parser::skipBlanks() {
  while (cur_ != end_ && IsBlank(*cur_)) {
    ++cur_;
  }
}

// Called after the introducer. "*" starts a block that runs up to a '*' followed by '/'
// (the '/' stays in the input and introduces a further comment); "/" starts a line
// comment that ends after the first CR or LF; any other character ends the comment.
void Parser::skipComment() {
  if (cur_ == end_) {
    return;
  }
  char kind = *cur_++;
  if (kind == '*') {
    while (cur_ != end_ && !(*cur_ == '*' && cur_ + 1 != end_ && cur_[1] == '/')) {
      ++cur_;
    }
    if (cur_ != end_) {
      ++cur_;
    }
  } else if (kind == '/') {
    while (cur_ != end_) {
      char c = *cur_++;
      if (c == '\r' || c == '\n') {
        break;
      }
    }
  }
}

// Called after the opening quote; true when the closing quote was consumed. A backslash
// always takes the next character with it.
bool Parser::scanString() {
  while (cur_ != end_) {
    char c = *cur_++;
    if (c == '"') {
      return true;
    }
    if (c == '\\') {
      if (cur_ == end_) {
        return false;
      }
      ++cur_;
    }
  }
  return false;
}

// Consumes `rest` when the input continues with it.
bool Parser::matchRest(const char* rest) {
  size_t length = std::strlen(rest);
  if (static_cast<size_t>(end_ - cur_) < length || std::memcmp(cur_, rest, length) != 0) {
    return false;
  }
  cur_ += length;
  return true;
}

bool Parser::readValue(const Token& token, JsonValue& target) {
  switch (token.type) {
    case TokenType::kObjectBegin:
    case TokenType::kArrayBegin: {
      if (depth_ == JsonReader::kMaxDepth) {
        return fail("Nesting too deep", token);
      }
      ++depth_;
      bool ok = token.type == TokenType::kObjectBegin ? readObject(target) : readArray(target);
      --depth_;
      return ok;
    }
    case TokenType::kString: {
      std::string decoded;
      if (!decodeString(token, decoded)) {
        return false;
      }
      target = JsonValue(decoded);
      return true;
    }
    case TokenType::kNumber:
      return readNumber(token, target);
    case TokenType::kTrue:
      target = JsonValue(true);
      return true;
    case TokenType::kFalse:
      target = JsonValue(false);
      return true;
    case TokenType::kNull:
      target.clear();
      return true;
    default:
      return fail("Syntax error: value, object or array expected.", token);
  }
}

// Called after the opening brace.
bool Parser::readObject(JsonValue& target) {
  target = JsonValue(JsonKind::Object);
  for (;;) {
    Token name = next();
    if (name.type == TokenType::kObjectEnd) {
      return true;
    }
    if (name.type != TokenType::kString) {
      return fail("Missing '}' or object member name", name);
    }
    std::string key;
    if (!decodeString(name, key)) {
      return false;
    }
    Token separator = next();
    if (separator.type != TokenType::kNameSeparator) {
      return fail("Missing ':' after object member name", separator);
    }
    if (!readValue(next(), target[key])) {
      return false;
    }
    Token after = next();
    if (after.type == TokenType::kObjectEnd) {
      return true;
    }
    if (after.type != TokenType::kMemberSeparator) {
      return fail("Missing ',' or '}' in object declaration", after);
    }
  }
}

// Called after the opening bracket.
bool Parser::readArray(JsonValue& target) {
  target = JsonValue(JsonKind::Array);
  skipBlanks();
  if (cur_ != end_ && *cur_ == ']') {
    ++cur_;
    return true;
  }
  for (size_t index = 0;; ++index) {
    if (!readValue(next(), target[index])) {
      return false;
    }
    Token after = next();
    if (after.type == TokenType::kArrayEnd) {
      return true;
    }
    if (after.type != TokenType::kMemberSeparator) {
      return fail("Missing ',' or ']' in array declaration", after);
    }
  }
}

// A token with '.', 'e' or 'E' is a real and is accepted when its leading part is a
// decimal number. Any other token is an integer: an optional '-' and decimal digits,
// accumulated modulo 2^64 (a lone '-' gives 0).
bool Parser::readNumber(const Token& token, JsonValue& target) {
  std::string text(token.start, token.end);
  if (text.find_first_of(".eE") != std::string::npos) {
    double value = 0.0;
    if (text.size() > kMaxRealTokenLength ||
        ReadDecimalReal(token.start, token.end, value) == token.start) {
      return fail("'" + text + "' is too large or not a number.", token);
    }
    target = JsonValue(value);
    return true;
  }
  const char* p = token.start;
  bool negative = p != token.end && *p == '-';
  if (negative) {
    ++p;
  }
  uint64_t magnitude = 0;
  for (; p != token.end; ++p) {
    if (!IsDigit(*p)) {
      return fail("'" + text + "' is not a number.", token);
    }
    magnitude = magnitude * 10 + static_cast<uint64_t>(*p - '0');
  }
  if (negative) {
    magnitude = 0 - magnitude;
  }
  target = JsonValue(static_cast<int64_t>(magnitude));
  return true;
}

// Decodes the bytes between the quotes of a string token. "\u" is kept as is, so the
// four hex digits after it stay plain characters.
bool Parser::decodeString(const Token& token, std::string& decoded) {
  const char* p = token.start + 1;
  const char* end = token.end - 1;
  decoded.reserve(static_cast<size_t>(end - p));
  while (p != end) {
    char c = *p++;
    if (c != '\\') {
      decoded += c;
      continue;
    }
    if (p == end) {
      return fail("Empty escape sequence in string", token);
    }
    switch (char escape = *p++) {
      case '"':
      case '/':
      case '\\':
        decoded += escape;
        break;
      case 'b':
        decoded += '\b';
        break;
      case 'f':
        decoded += '\f';
        break;
      case 'n':
        decoded += '\n';
        break;
      case 'r':
        decoded += '\r';
        break;
      case 't':
        decoded += '\t';
        break;
      case 'u':
        decoded += "\\u";
        break;
      default:
        return fail("Bad escape sequence in string", token);
    }
  }
  return true;
}

bool Parser::fail(const std::string& message, const Token& token) {
  message_ = message;
  error_offset_ = static_cast<size_t>(token.start - begin_);
  return false;
}

}  // namespace

bool JsonReader::parse(const char* text, JsonValue& root) {
  const char* begin = text != nullptr ? text : "";
  Parser parser(begin, begin + std::strlen(begin));
  root.clear();
  if (parser.readDocument(root)) {
    message_.clear();
    error_offset_ = 0;
    return true;
  }
  message_ = parser.message();
  error_offset_ = parser.errorOffset();
  return false;
}
