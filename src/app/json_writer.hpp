// A small JSON writer for the script runner's dumps: keys in the order written, singles with 9
// significant digits so that they read back exactly, texts escaped with their CR LF kept. The output is
// valid UTF-8: a text's bytes that are not UTF-8 are single-byte characters and written as such.
#pragma once

#include <string>
#include <string_view>

#include "common/value_tree.hpp"

namespace brelvo::app {

class JsonWriter {
  public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(std::string_view name);
    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(const std::string& text) { return value(std::string_view(text)); }
    JsonWriter& value(bool b);
    JsonWriter& value(int n);
    JsonWriter& value(float f);
    JsonWriter& value(double d);
    JsonWriter& null();
    JsonWriter& point(float x, float y);
    // A value tree: whole numbers, singles and doubles each as their own value above.
    JsonWriter& tree(const common::ValueTree& value);

    const std::string& str() const { return out_; }

  private:
    void separate();
    std::string out_;
    bool needComma_ = false;
};

}  // namespace brelvo::app
