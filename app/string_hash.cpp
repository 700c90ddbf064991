#include "app/string_hash.h"

std::uint32_t StringHashCode(QStringView key) {
    std::uint32_t h = 2166136261u;
    for (QChar c : key) {
        h ^= c.unicode();
        h *= 16777619u;
    }
    return h;
}

StringHash::StringHash(std::uint32_t bucketCount, Data noValue)
    : buckets_(qMax<std::uint32_t>(bucketCount, 1)), noValue_(noValue) {}

StringHash::~StringHash() {
    StringHash::Clear();
}

std::uint32_t StringHash::Bucket(const QString& key) const {
    return StringHashCode(key) % BucketCount();
}

std::unique_ptr<StringHash::Node>* StringHash::Slot(const QString& key, std::uint32_t code) {
    std::unique_ptr<Node>* slot = &buckets_[code % BucketCount()];
    while (*slot && ((*slot)->code != code || (*slot)->key != key))
        slot = &(*slot)->next;
    return slot;
}

StringHash::Node* StringHash::FindNode(const QString& key, std::uint32_t code) const {
    Node* node = buckets_[code % BucketCount()].get();
    while (node && (node->code != code || node->key != key))
        node = node->next.get();
    return node;
}

StringHash::Data StringHash::Find(const QString& key) const {
    const Node* node = FindNode(key, StringHashCode(key));
    return node ? node->data : noValue_;
}

void StringHash::Put(const QString& key, Data data) {
    const std::uint32_t code = StringHashCode(key);
    std::unique_ptr<Node>* slot = Slot(key, code);
    if (*slot) {
        if (data == noValue_) {
            *slot = std::move((*slot)->next);
            --count_;
        } else {
            (*slot)->data = data;
        }
        return;
    }
    if (data != noValue_) Insert(key, code, data);
}

StringHash::Node& StringHash::Insert(const QString& key, std::uint32_t code, Data data) {
    if (static_cast<std::size_t>(count_) >= buckets_.size()) Grow();
    std::unique_ptr<Node>& head = buckets_[code % BucketCount()];
    head = std::make_unique<Node>(Node{key, code, data, QString(), std::move(head)});
    ++count_;
    return *head;
}

void StringHash::Grow() {
    std::vector<std::unique_ptr<Node>> grown(buckets_.size() * 2);
    std::vector<std::unique_ptr<Node>*> tails(grown.size());
    for (std::size_t i = 0; i < grown.size(); ++i)
        tails[i] = &grown[i];
    for (std::unique_ptr<Node>& head : buckets_) {
        while (head) {
            std::unique_ptr<Node> node = std::move(head);
            head = std::move(node->next);
            std::unique_ptr<Node>*& tail = tails[node->code % grown.size()];
            *tail = std::move(node);
            tail = &(*tail)->next;
        }
    }
    buckets_.swap(grown);
}

QString StringHash::LookUp(const QString& key) const {
    const Node* node = FindNode(key, StringHashCode(key));
    return node ? node->value : QString();
}

void StringHash::SetValue(const QString& key, const QString& value) {
    const std::uint32_t code = StringHashCode(key);
    Node* node = FindNode(key, code);
    if (value.isEmpty()) {
        if (node) Put(key, noValue_);
        return;
    }
    if (!node) node = &Insert(key, code, noValue_);
    node->value = value;
    node->data = reinterpret_cast<Data>(&node->value);
}

void StringHash::ClearAll() {
    for (const std::unique_ptr<Node>& head : buckets_)
        for (Node* node = head.get(); node; node = node->next.get())
            node->value.clear();
}

void StringHash::Clear() {
    // Unlink chains one node at a time: a long chain must not recurse through its destructors.
    for (std::unique_ptr<Node>& head : buckets_)
        while (head)
            head = std::move(head->next);
    count_ = 0;
}
