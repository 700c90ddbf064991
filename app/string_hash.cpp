#include "app/string_hash.h"

StringHash::StringHash(std::uint32_t bucketCount, Data noValue)
    : buckets_(qMax<std::uint32_t>(bucketCount, 1)), noValue_(noValue) {}

StringHash::~StringHash() {
    StringHash::Clear();
}

std::uint32_t StringHash::Bucket(const QString& key) const {
    // FNV-1a over the UTF-16 units: spreads part numbers evenly over the chains.
    std::uint32_t h = 2166136261u;
    for (QChar c : key) {
        h ^= c.unicode();
        h *= 16777619u;
    }
    return h % static_cast<std::uint32_t>(buckets_.size());
}

std::unique_ptr<StringHash::Node>* StringHash::Slot(const QString& key) {
    std::unique_ptr<Node>* slot = &buckets_[Bucket(key)];
    while (*slot && (*slot)->key != key)
        slot = &(*slot)->next;
    return slot;
}

StringHash::Node* StringHash::FindNode(const QString& key) const {
    Node* node = buckets_[Bucket(key)].get();
    while (node && node->key != key)
        node = node->next.get();
    return node;
}

StringHash::Data StringHash::Find(const QString& key) const {
    const Node* node = FindNode(key);
    return node ? node->data : noValue_;
}

void StringHash::Put(const QString& key, Data data) {
    std::unique_ptr<Node>* slot = Slot(key);
    if (*slot) {
        if (data == noValue_) {
            *slot = std::move((*slot)->next);
            --count_;
        } else {
            (*slot)->data = data;
        }
        return;
    }
    if (data == noValue_) return;
    std::unique_ptr<Node>& head = buckets_[Bucket(key)];
    head = std::make_unique<Node>(Node{key, data, nullptr, std::move(head)});
    ++count_;
}

QString StringHash::LookUp(const QString& key) const {
    const Node* node = FindNode(key);
    return node && node->value ? *node->value : QString();
}

void StringHash::SetValue(const QString& key, const QString& value) {
    Node* node = FindNode(key);
    if (!node) {
        if (value.isEmpty()) return;
        auto cell = std::make_unique<QString>(value);
        Data data = reinterpret_cast<Data>(cell.get());
        Put(key, data);
        FindNode(key)->value = std::move(cell);
        return;
    }
    if (value.isEmpty()) {
        Put(key, noValue_);
        return;
    }
    if (node->value) {
        *node->value = value;
    } else {
        node->value = std::make_unique<QString>(value);
        node->data = reinterpret_cast<Data>(node->value.get());
    }
}

void StringHash::ClearAll() {
    for (const std::unique_ptr<Node>& head : buckets_)
        for (Node* node = head.get(); node; node = node->next.get())
            if (node->value) node->value->clear();
}

void StringHash::Clear() {
    // Unlink chains one node at a time: a long chain must not recurse through its destructors.
    for (std::unique_ptr<Node>& head : buckets_)
        while (head)
            head = std::move(head->next);
    count_ = 0;
}
