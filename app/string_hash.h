#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

// FNV-1a over the UTF-16 units: spreads part numbers evenly over the chains.
std::uint32_t StringHashCode(QStringView key);

// A chained hash table from exact string keys to a data word, or at the string level to an owned value
// string. New keys go to the head of their chain, so the latest of two colliding keys is found first. The
// table doubles whenever the entries outnumber the chains.
class StringHash {
  public:
    using Data = std::uintptr_t;

    StringHash(std::uint32_t bucketCount, Data noValue);
    virtual ~StringHash();
    StringHash(const StringHash&) = delete;
    StringHash& operator=(const StringHash&) = delete;

    // The data word of key, or the no-value marker.
    Data Find(const QString& key) const;
    // Adds, replaces or (with the no-value marker) removes the entry of key.
    void Put(const QString& key, Data data);
    // The value string of key, empty when absent.
    QString LookUp(const QString& key) const;
    // Stores value for key; an empty value removes the entry and is never stored.
    void SetValue(const QString& key, const QString& value);
    // Empties every value string; the keys stay.
    void ClearAll();
    // Removes every entry.
    virtual void Clear();

    int Count() const { return count_; }
    std::uint32_t BucketCount() const { return static_cast<std::uint32_t>(buckets_.size()); }
    std::uint32_t Bucket(const QString& key) const;

  private:
    struct Node {
        QString key;
        std::uint32_t code; // of the key, kept for growing and for quick mismatches
        Data data;
        QString value; // data points here once a value is set
        std::unique_ptr<Node> next;
    };

    std::unique_ptr<Node>* Slot(const QString& key, std::uint32_t code);
    Node* FindNode(const QString& key, std::uint32_t code) const;
    // A new node at the head of the key's chain; the key must be absent.
    Node& Insert(const QString& key, std::uint32_t code, Data data);
    // Relinks every node into twice as many chains, keeping the order within each chain.
    void Grow();

    int count_ = 0;
    std::vector<std::unique_ptr<Node>> buckets_;
    Data noValue_;
};
