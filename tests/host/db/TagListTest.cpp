// An object's tags with the index of its main data: after any sequence of
// changes a lookup finds what a walk over the tags finds, and the record's
// watcher hears of every change that can touch its name.
#include "../../../host/db/TagList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

using brevant::db::TagList;
using brevant::dxf::OwnedTag;

namespace {

// The walk the index stands for: main data ends at 1001 or 101, tags inside
// application groups (102 "{..." to 102 "}") do not count, the type (tag 0)
// is not looked at.
int walkFind(const TagList& tags, int code) {
    bool inGroup = false;
    for (size_t k = 1; k < tags.size(); ++k) {
        const int c = tags[k].code;
        if (c == 1001 || c == 101) {
            break;
        }
        if (c == 102) {
            inGroup = !tags[k].value.empty() && tags[k].value[0] == '{';
            continue;
        }
        if (!inGroup && c == code) {
            return int(k);
        }
    }
    return -1;
}

size_t walkMainEnd(const TagList& tags) {
    for (size_t k = 1; k < tags.size(); ++k) {
        if (tags[k].code == 1001 || tags[k].code == 101) {
            return k;
        }
    }
    return tags.size();
}

class CountingWatcher : public TagList::Watcher {
public:
    void nameMayHaveChanged() override { ++calls; }
    int calls = 0;
};

const int kCodes[] = {0, 2, 5, 8, 10, 70, 100, 101, 102, 330, 1001, 1000};

OwnedTag randomTag(std::mt19937& random) {
    const int code = kCodes[random() % std::size(kCodes)];
    std::string value = std::to_string(random() % 100);
    if (code == 102) {
        value = random() % 2 ? "{ACAD_REACTORS" : "}";
    }
    return OwnedTag{int16_t(code), value};
}

}  // namespace

TEST(TagList, LookupsAgreeWithAWalkAfterEveryChange) {
    std::mt19937 random(7);
    TagList tags{{0, "INSERT"},       {5, "1F"},  {102, "{ACAD_REACTORS"},
                 {330, "2"},          {102, "}"}, {330, "1A"},
                 {100, "AcDbEntity"}, {8, "0"},   {2, "TITLE"},
                 {1001, "APP"},       {1000, "x"}};
    auto check = [&](int step) {
        SCOPED_TRACE("after change " + std::to_string(step));
        for (int code : kCodes) {
            ASSERT_EQ(tags.find(code), walkFind(tags, code)) << "code " << code;
        }
        ASSERT_EQ(tags.mainEnd(), walkMainEnd(tags));
    };
    check(0);
    for (int step = 1; step <= 3000; ++step) {
        const size_t size = tags.size();
        const size_t at = size == 0 ? 0 : random() % size;
        switch (random() % 8) {
            case 0:
                if (size > 0) {
                    // Flipping a group's brace moves what is inside it.
                    const bool open = !tags[at].value.empty() && tags[at].value[0] == '{';
                    tags.setValue(at, tags[at].code == 102 ? (open ? "}" : "{X") : "v");
                }
                break;
            case 1:
                tags.insert(at, randomTag(random));
                break;
            case 2:
                tags.insert(at, {randomTag(random), randomTag(random)});
                break;
            case 3:
                if (size > 0) {
                    tags.erase(at, std::min(size, at + 1 + random() % 3));
                }
                break;
            case 4:
                tags.push_back(randomTag(random));
                break;
            case 5:
                if (size > 0) {
                    tags.pop_back();
                }
                break;
            case 6:
                tags.truncate(at + 2);
                break;
            default:
                if (size > 30) {
                    tags = {{0, "LAYER"}, {2, "0"}, {70, "0"}};
                }
                break;
        }
        check(step);
    }
}

TEST(TagList, TheWatcherHearsOfChangesThatCanTouchTheName) {
    TagList tags{{0, "LAYER"}, {5, "10"}, {102, "{APP"}, {2, "hidden"}, {102, "}"}, {2, "Walls"}};
    CountingWatcher watcher;
    tags.setWatcher(&watcher);
    struct Row {
        const char* what;
        std::function<void()> change;
        bool heard;
    } rows[] = {
        {"a handle's value", [&] { tags.setValue(1, "11"); }, false},
        {"the name's value", [&] { tags.setValue(5, "Doors"); }, true},
        {"a group's brace", [&] { tags.setValue(4, "{OPEN"); }, true},
        {"a tag inserted",
         [&] {
             tags.insert(1, OwnedTag{70, "0"});
         },
         true},
        {"tags erased", [&] { tags.erase(1, 2); }, true},
        {"a tag added at the end",
         [&] {
             tags.push_back(OwnedTag{1001, "APP"});
         },
         true},
        {"the last tag dropped", [&] { tags.pop_back(); }, true},
        {"nothing cut", [&] { tags.truncate(100); }, false},
        {"tags cut", [&] { tags.truncate(2); }, true},
        {"all replaced",
         [&] {
             tags = {{0, "LAYER"}, {2, "0"}};
         },
         true},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(++n) + ": " + row.what);
        const int before = watcher.calls;
        row.change();
        EXPECT_EQ(watcher.calls - before, row.heard ? 1 : 0);
    }
}
