#include "LogTestSupport.h"

#include <gtest/gtest.h>

#include <regex>

#include "framework/Handle.h"

namespace {
constexpr size_t kStampLength = 30;  // "[yyyy-mm-dd hh:mm:ss mmmms]   "
}

std::vector<std::string> Lines(const std::string& bytes)
{
    static const std::regex stamp(R"(^\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} \d{3}ms\]   )");
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t end = bytes.find("\r\n"); end != std::string::npos; end = bytes.find("\r\n", from)) {
        lines.push_back(bytes.substr(from, end - from));
        from = end + 2;
    }
    EXPECT_EQ(from, bytes.size()) << "the file does not end with a whole line";
    for (const std::string& line : lines) EXPECT_TRUE(std::regex_search(line, stamp)) << line;
    return lines;
}

std::string TextOf(const std::string& line)
{
    return line.size() >= kStampLength ? line.substr(kStampLength) : std::string();
}

std::vector<std::string> TextsOf(const std::vector<std::string>& lines)
{
    std::vector<std::string> texts;
    for (const std::string& line : lines) texts.push_back(TextOf(line));
    return texts;
}

RecordsMap RecordsByWriter(const std::vector<std::string>& lines)
{
    static const std::regex shape(R"(^(\w+) r(\d+)$)");
    RecordsMap records;
    for (const std::string& line : lines) {
        std::smatch match;
        const std::string text = TextOf(line);
        if (std::regex_match(text, match, shape))
            records[match[1]].push_back(std::stoi(match[2]));
        else
            ADD_FAILURE() << "torn or mixed line: " << line;
    }
    return records;
}

std::vector<int> Numbers(int count, int first, int step)
{
    std::vector<int> numbers;
    for (int i = 0; i < count; ++i) numbers.push_back(first + i * step);
    return numbers;
}

void AppendBytes(const CString& path, const std::string& bytes)
{
    CHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(file && WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                written == bytes.size());
}
