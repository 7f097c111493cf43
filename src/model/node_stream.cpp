#include "model/node_stream.h"

#include <algorithm>
#include <cstring>

#include "common/bytes.h"
#include "common/error.h"

namespace tarnu {

namespace {

// Gathers small writes into large ones.
class BufferedWriter {
public:
    explicit BufferedWriter(Stream& out) : out_(out) { buffer_.reserve(kChunk + 4096); }
    ~BufferedWriter() = default;

    void putI32(std::int32_t v) { appendI32(buffer_, v); }
    void putText(std::string_view text) {
        putI32(static_cast<std::int32_t>(text.size()));
        buffer_.append(text);
        if (buffer_.size() >= kChunk) {
            flush();
        }
    }
    void flush() {
        out_.write(buffer_.data(), buffer_.size());
        buffer_.clear();
    }

private:
    static constexpr std::size_t kChunk = 1 << 16;
    Stream& out_;
    std::string buffer_;
};

// Serves small reads from large ones.
class BufferedReader {
public:
    explicit BufferedReader(Stream& in) : in_(in) {}

    void read(void* target, std::size_t n) {
        auto* out = static_cast<char*>(target);
        while (n > 0) {
            if (at_ == end_) {
                refill();
            }
            std::size_t take = std::min(n, end_ - at_);
            std::memcpy(out, buffer_ + at_, take);
            at_ += take;
            out += take;
            n -= take;
        }
    }
    std::int32_t getI32() {
        unsigned char b[4];
        read(b, 4);
        return tarnu::getI32(b);
    }
    std::uint8_t getU8() {
        std::uint8_t b;
        read(&b, 1);
        return b;
    }
    void skip(std::size_t n) {
        char scratch[256];
        while (n > 0) {
            std::size_t take = std::min(n, sizeof scratch);
            read(scratch, take);
            n -= take;
        }
    }
    // Reads a text of the given length without trusting the length for an allocation.
    void readText(std::string& text, std::size_t length) {
        text.clear();
        while (text.size() < length) {
            if (at_ == end_) {
                refill();
            }
            std::size_t take = std::min(length - text.size(), end_ - at_);
            text.append(buffer_ + at_, take);
            at_ += take;
        }
    }

private:
    void refill() {
        end_ = in_.read(buffer_, sizeof buffer_);
        at_ = 0;
        if (end_ == 0) {
            throw Error("Stream read error");
        }
    }

    Stream& in_;
    char buffer_[1 << 16];
    std::size_t at_ = 0;
    std::size_t end_ = 0;
};

void writeNode(BufferedWriter& w, const Node* node) {
    w.putI32(kNodeHeaderLength);
    w.putI32(node->imageIndex());
    w.putI32(node->selectedImageIndex());
    w.putI32(node->stateIndex());
    w.putI32(node->linkRecord() ? 1 : 0);
    w.putI32(static_cast<std::int32_t>(node->childCount()));
    w.putI32(node->valueCount());
    for (int i = 0; i < node->valueCount(); ++i) {
        w.putText(node->text(i));
    }
}

}  // namespace

void writeNodeStream(const ZuTree& tree, Stream& out) {
    // Knowing the size up front spares a large in-memory stream its growth copies.
    std::int64_t size = 8;
    tree.forEachInFlatOrder([&](Node* node) {
        size += 4 + kNodeHeaderLength + 4 * node->valueCount();
        for (int i = 0; i < node->valueCount(); ++i) {
            size += static_cast<std::int64_t>(node->text(i).size());
        }
        return true;
    });
    out.reserve(out.position() + size);
    BufferedWriter w(out);
    w.putI32(-1);
    w.putI32(static_cast<std::int32_t>(tree.childCount(nullptr)));
    tree.forEachInFlatOrder([&](Node* node) {
        writeNode(w, node);
        return true;
    });
    w.flush();
}

std::size_t nodeMemory(std::size_t textBytes) {
    // The allocator rounds each block up and keeps a word of its own; vectors that grow by
    // doubling hold up to twice their pointers.
    constexpr std::size_t kAllocation = 16;
    constexpr std::size_t kPointers = 3 * sizeof(Node*);
    const std::size_t texts = textBytes > 0 ? textBytes + kAllocation : 0;
    return sizeof(Node) + kAllocation + kPointers + texts;
}

std::vector<Node*> readNodeStream(ZuTree& tree, Stream& in, std::size_t memoryBudget) {
    tree.clear();
    std::vector<Node*> order;
    BufferedReader r(in);
    std::int32_t first = r.getI32();
    const bool newFormat = first < 0;
    std::int32_t topCount = newFormat ? r.getI32() : first;

    // Each pending level: the parent and how many children it still expects.
    struct Level {
        Node* parent;
        std::int64_t remaining;
    };
    std::vector<Level> stack{{nullptr, topCount}};
    std::vector<std::string> values;
    unsigned char header[kNodeHeaderLength];
    std::size_t used = 0;
    while (!stack.empty()) {
        if (stack.back().remaining <= 0) {
            stack.pop_back();
            continue;
        }
        --stack.back().remaining;
        Node* node = tree.addChild(stack.back().parent);
        order.push_back(node);

        std::int32_t headerLength = r.getI32();
        if (headerLength < kNodeHeaderLength) {
            throw Error("Stream read error");
        }
        r.read(header, sizeof header);
        r.skip(static_cast<std::size_t>(headerLength - kNodeHeaderLength));
        node->setImageIndex(getI32(header));
        node->setSelectedImageIndex(getI32(header + 4));
        node->setStateIndex(getI32(header + 8));
        // header + 12 is the record tag: link records come from their own entry.
        std::int32_t childCount = getI32(header + 16);
        std::int32_t valueCount = getI32(header + 20);
        values.resize(static_cast<std::size_t>(std::clamp(valueCount, 0, kColumnCount)));
        for (std::int32_t i = 0; i < valueCount; ++i) {
            std::size_t length = newFormat ? static_cast<std::uint32_t>(r.getI32()) : r.getU8();
            if (i < kColumnCount) {
                r.readText(values[static_cast<std::size_t>(i)], length);
            } else {
                r.skip(length);  // past the last column
            }
        }
        std::size_t textBytes = 0;
        for (const std::string& value : values) {
            textBytes += value.size();
        }
        used += nodeMemory(textBytes);
        if (used > memoryBudget) {
            throw Error(std::string(kTreeTooLarge));
        }
        tree.setTexts(node, values);
        stack.push_back({node, childCount});
    }
    return order;
}

}  // namespace tarnu
