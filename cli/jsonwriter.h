#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// Builds one compact JSON text. Commas are placed by the writer; strings are
/// UTF-8. Doubles are written with "%.17g", and those that JSON cannot hold as
/// the strings "nan", "inf" and "-inf".
class JsonWriter
{
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    void Key(std::string_view key);
    void String(std::string_view utf8);
    void Integer(int64_t value);
    void Double(double value);
    void Bool(bool value);

    const std::string& Text() const { return m_text; }

private:
    void Separate();

    std::string m_text;
    std::vector<bool> m_first; ///< per open container: nothing written yet
    bool m_afterKey = false;
};
