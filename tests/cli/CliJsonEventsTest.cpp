// The --json lines of the long operations against the kinds and fields docs/cli-json.md
// documents: every line is valid JSON, every event is of a documented kind with exactly its
// documented fields, and the last line is a documented result.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "CliProcess.h"
#include "support/JsonReader.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using test::JsonValue;
using test::ProcessResult;

// One row of the documentation's tables: an event kind (empty for a result), the operations it
// belongs to and its fields, some of them optional.
struct Shape {
    std::string event;
    std::set<std::string> operations;
    std::set<std::string> required;
    std::set<std::string> optional;
};

// The names between backquotes in a table cell.
std::vector<std::string> Names(const std::string& cell)
{
    std::vector<std::string> names;
    for (std::size_t open = cell.find('`'); open != std::string::npos;
         open = cell.find('`', open + 1)) {
        const std::size_t close = cell.find('`', open + 1);
        if (close == std::string::npos)
            break;
        names.push_back(cell.substr(open + 1, close - open - 1));
        open = close;
    }
    return names;
}

// The rows of both tables of docs/cli-json.md: an event row has three cells, a result row two.
std::vector<Shape> DocumentedShapes()
{
    std::ifstream file(std::filesystem::path(SCANORA_TEST_DATA_DIR) / ".." / ".." / "docs" /
                       "cli-json.md");
    std::vector<Shape> shapes;
    for (std::string line; std::getline(file, line);) {
        if (!line.starts_with("| `"))
            continue;
        std::vector<std::string> cells;
        std::stringstream row(line.substr(1));
        for (std::string cell; std::getline(row, cell, '|');) cells.push_back(cell);
        Shape shape;
        if (cells.size() == 3)
            shape.event = Names(cells[0]).front();
        const std::vector<std::string> operations = Names(cells[cells.size() - 2]);
        shape.operations.insert(operations.begin(), operations.end());
        for (std::string field : Names(cells.back())) {
            if (field.ends_with('?'))
                shape.optional.insert(field.substr(0, field.size() - 1));
            else
                shape.required.insert(field);
        }
        shapes.push_back(shape);
    }
    return shapes;
}

bool Fits(const Shape& shape, const std::vector<std::string>& keys)
{
    const std::set<std::string> present(keys.begin(), keys.end());
    return std::ranges::includes(present, shape.required) &&
           std::ranges::all_of(present, [&](const std::string& key) {
               return shape.required.contains(key) || shape.optional.contains(key);
           });
}

class CliJsonEventsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        shapes_ = DocumentedShapes();
        ASSERT_GT(shapes_.size(), 15u) << "the documentation's tables were not found";
    }

    // Runs a long operation with --json and checks its every line; the event kinds it printed.
    std::vector<std::string> CheckRun(const std::string& operation,
                                      const std::vector<std::string>& args, int exitCode = 0)
    {
        std::vector<std::string> all{"--json", "--yes"};
        all.insert(all.end(), args.begin(), args.end());
        const ProcessResult result = test::RunCli(all, std::chrono::seconds(60));
        EXPECT_EQ(result.exitCode, exitCode) << result.err;
        std::vector<std::string> lines;
        std::istringstream out(result.out);
        for (std::string line; std::getline(out, line);) lines.push_back(line);
        if (lines.empty()) {
            ADD_FAILURE() << operation << " printed nothing";
            return {};
        }
        std::vector<std::string> kinds;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            SCOPED_TRACE(lines[i]);
            std::string error;
            const std::optional<JsonValue> value = test::ParseJson(lines[i], error);
            if (!value || !value->IsObject()) {
                ADD_FAILURE() << "not a JSON object: " << error;
                continue;
            }
            std::vector<std::string> keys = value->Keys();
            const bool last = i + 1 == lines.size();
            if (last) {
                EXPECT_EQ(value->Find("event"), nullptr) << "the last line is the result";
                EXPECT_TRUE(std::ranges::any_of(shapes_,
                                                [&](const Shape& shape) {
                                                    return shape.event.empty() &&
                                                           shape.operations.contains(operation) &&
                                                           Fits(shape, keys);
                                                }))
                    << "no documented result of " << operation << " has these fields";
                continue;
            }
            const JsonValue* event = value->Find("event");
            const JsonValue* operationValue = value->Find("operation");
            if (keys.size() < 2 || keys[0] != "event" || keys[1] != "operation" ||
                !std::holds_alternative<std::string>(event->value) ||
                !std::holds_alternative<std::string>(operationValue->value)) {
                ADD_FAILURE() << "an event begins with its kind and operation";
                continue;
            }
            EXPECT_EQ(std::get<std::string>(operationValue->value), operation);
            const std::string kind = std::get<std::string>(event->value);
            if (i == 0) {
                EXPECT_EQ(kind, "start");
            }
            keys.erase(keys.begin(), keys.begin() + 2);
            EXPECT_TRUE(std::ranges::any_of(shapes_,
                                            [&](const Shape& shape) {
                                                return shape.event == kind &&
                                                       shape.operations.contains(operation) &&
                                                       Fits(shape, keys);
                                            }))
                << "no documented " << kind << " event of " << operation << " has these fields";
            kinds.push_back(kind);
        }
        return kinds;
    }

    test::TempDir dir_;
    std::vector<Shape> shapes_;
};

bool Has(const std::vector<std::string>& kinds, const std::string& kind)
{
    return std::ranges::find(kinds, kind) != kinds.end();
}

TEST_F(CliJsonEventsTest, EveryEventOfAPrescanAScanSeriesAndARetrievalIsDocumented)
{
    const std::string prescan = (dir_.Path() / "p.tif").string();
    const auto prescanKinds =
        CheckRun("prescan", {"--camera", "sim:speed=0", "prescan", "-o", prescan});
    EXPECT_TRUE(Has(prescanKinds, "progress"));

    const std::string folder = (dir_.Path() / "scans").string() + "/";
    // A small crop: a scan and its retrieval stay short under the sanitizers too.
    const auto scanKinds =
        CheckRun("scan", {"--camera", "sim:speed=0", "scan", "--crop", "20,20,0,0", "--series", "2",
                          "--interval", "1", "--retrieve", folder});
    for (const char* kind : {"progress", "status", "series", "transfer", "file"})
        EXPECT_TRUE(Has(scanKinds, kind)) << kind;

    const auto getKinds = CheckRun(
        "get", {"--camera", "sim:speed=0", "get", "1", "2", "-o", (dir_.Path() / "got").string()});
    for (const char* kind : {"transfer", "progress", "status"})
        EXPECT_TRUE(Has(getKinds, kind)) << kind;
}

TEST_F(CliJsonEventsTest, FocusStageAndFailuresAreDocumentedToo)
{
    const auto focus = CheckRun("focus", {"--camera", "sim:speed=0,focus=sweep:20:2", "focus",
                                          "--readings", "3", "--pause", "0"});
    EXPECT_EQ(std::ranges::count(focus, "reading"), 3);
    const auto move = CheckRun("stage", {"--camera", "sim:speed=0.2", "stage", "move", "9000"});
    EXPECT_TRUE(Has(move, "progress"));
    CheckRun("stage", {"--camera", "sim:speed=0", "stage", "calibrate"});

    // A scan the camera refuses: its message as an error event with the logged cause, and the
    // error as the result.
    const auto refused =
        CheckRun("scan", {"--camera", "sim:speed=0,fault=error:CLP:33", "scan"}, 1);
    EXPECT_TRUE(Has(refused, "error"));
}

}  // namespace
}  // namespace scanora
