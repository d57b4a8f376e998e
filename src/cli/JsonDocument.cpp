#include "cli/JsonDocument.h"

#include <fmt/format.h>

#include <optional>
#include <set>
#include <vector>

#include "base/RegularFile.h"

namespace lum::cli {

namespace {

using nlohmann::json;

// Error ids of the parser: a number it cannot hold.
constexpr int kNumberOverflow = 406;

// Builds the document from the parser's events with an explicit stack of open containers,
// checking depth and keys as it goes. A handler that returns false stops the parser.
class DocumentBuilder final : public nlohmann::json_sax<json> {
 public:
  explicit DocumentBuilder(size_t maxDepth) : max_depth_(maxDepth) {}
  ~DocumentBuilder() override = default;
  DocumentBuilder(const DocumentBuilder&) = delete;
  DocumentBuilder& operator=(const DocumentBuilder&) = delete;
  DocumentBuilder(DocumentBuilder&&) = delete;
  DocumentBuilder& operator=(DocumentBuilder&&) = delete;

  json TakeDocument() { return std::move(root_); }
  const std::optional<std::string>& Problem() const { return problem_; }

  bool null() override { return Value(nullptr); }
  bool boolean(bool value) override { return Value(value); }
  bool number_integer(number_integer_t value) override { return Value(value); }
  bool number_unsigned(number_unsigned_t value) override { return Value(value); }
  bool number_float(number_float_t value, const string_t&) override { return Value(value); }
  bool string(string_t& value) override { return Value(std::move(value)); }
  bool binary(binary_t& value) override { return Value(json::binary(std::move(value))); }

  bool start_object(std::size_t) override { return Open(json::object()); }
  bool start_array(std::size_t) override { return Open(json::array()); }
  bool end_object() override { return Close(); }
  bool end_array() override { return Close(); }

  bool key(string_t& name) override {
    Container& object = open_.back();
    if (!object.keys.insert(name).second)
      return Refuse(fmt::format("the key \"{}\" appears twice in {}", name, ObjectPath()));
    object.key = std::move(name);
    return true;
  }

  bool parse_error(std::size_t, const std::string& lastToken, const nlohmann::detail::exception& e) override {
    if (e.id == kNumberOverflow) return Refuse(fmt::format("the number {} is out of range", lastToken));
    // The parser's own text, without its "[json.exception.parse_error.101] " prefix.
    std::string_view what = e.what();
    const size_t prefixEnd = what.find("] ");
    if (prefixEnd != std::string_view::npos) what.remove_prefix(prefixEnd + 2);
    return Refuse(fmt::format("not valid JSON: {}", what));
  }

 private:
  struct Container {
    json* value;
    std::set<std::string> keys;  // of an object, to find a key given twice
    std::string key;             // the key of the next value of an object
    size_t items = 0;            // of an array, to name the place of an item
  };

  bool Value(json value) {
    Add(std::move(value));
    return true;
  }

  // Puts the value where the next one goes and returns where it went.
  json* Add(json value) {
    if (open_.empty()) {
      root_ = std::move(value);
      return &root_;
    }
    Container& parent = open_.back();
    if (parent.value->is_array()) {
      ++parent.items;
      parent.value->push_back(std::move(value));
      return &parent.value->back();
    }
    json& slot = (*parent.value)[parent.key];
    slot = std::move(value);
    return &slot;
  }

  // An array's slots stay in place while its last item is open: nothing is added to the
  // array until that item is closed.
  bool Open(json container) {
    if (open_.size() >= max_depth_) return Refuse(fmt::format("it is nested deeper than {} levels", max_depth_));
    json* value = Add(std::move(container));
    open_.push_back({value, {}, {}, 0});
    return true;
  }

  bool Close() {
    open_.pop_back();
    return true;
  }

  // The object being read, named as lumctl names fields: Channels[0][1].
  std::string ObjectPath() const {
    std::string path;
    for (size_t i = 0; i + 1 < open_.size(); ++i) {
      const Container& parent = open_[i];
      if (parent.value->is_array())
        path += fmt::format("[{}]", parent.items - 1);  // its last item is the one open
      else
        path += (path.empty() ? "" : ".") + parent.key;
    }
    return path.empty() ? "the document" : path;
  }

  bool Refuse(std::string problem) {
    problem_ = std::move(problem);
    return false;
  }

  size_t max_depth_;
  json root_;
  std::vector<Container> open_;
  std::optional<std::string> problem_;
};

}  // namespace

json ParseJsonDocument(std::string_view text) {
  DocumentBuilder builder(kMaxJsonDepth);
  const bool parsed = json::sax_parse(text, &builder, json::input_format_t::json, true);
  if (builder.Problem()) throw JsonDocumentError(*builder.Problem());
  if (!parsed) throw JsonDocumentError("not valid JSON");
  return builder.TakeDocument();
}

json ReadJsonFile(const std::string& path) { return ParseJsonDocument(ReadWholeFile(path, kMaxJsonBytes)); }

}  // namespace lum::cli
