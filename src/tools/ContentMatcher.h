#pragma once

#include "core/CancellationToken.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <memory>
#include <vector>

// Finds a text inside UTF-8 bytes, ignoring case: a place matches when its
// characters, each lower-cased, are the lower-cased needle. Bytes that are no
// valid UTF-8 never match. The search runs on the raw bytes: a byte filter on
// two characters of the needle that have no case variants outside ASCII finds
// candidate places, and only those are decoded and compared in full.
class ContentMatcher {
public:
    static constexpr std::size_t chunkSize = 262144;

    // `needle` must not be empty.
    explicit ContentMatcher(const QString& needle);
    ~ContentMatcher();
    ContentMatcher(const ContentMatcher&) = delete;
    ContentMatcher& operator=(const ContentMatcher&) = delete;

    // Whether a match lies wholly inside the bytes.
    bool isIn(const char* data, std::size_t size) const;

    // Reads the open file from its current position to its end, once, in
    // chunks of `chunkSize` plus the tail of the previous chunk that a match
    // could still start in; stops at the first match. Throws SystemError naming
    // `reportedPath` when a read fails, CancellationError before and after each
    // chunk when the token fires.
    bool isInFile(int fd, const QByteArray& reportedPath, const CancellationToken& token);

private:
    struct Anchor {
        std::size_t index = 0;      // the needle character the filtered run starts with
        std::size_t byteOffset = 0; // of this anchor from the start of the run
        unsigned char byte = 0;     // lower-case ASCII
        bool folds = false;         // a letter: compare with bit 5 set
    };

    bool verifyAt(const unsigned char* data, std::size_t size, std::size_t position, std::size_t index) const;
    bool isInByFilter(const unsigned char* data, std::size_t size) const;
    bool isInByLeadBytes(const unsigned char* data, std::size_t size) const;

    std::vector<char32_t> m_needle; // lower-cased code points
    std::size_t m_longestMatch = 0; // bytes
    bool m_filtered = false;        // anchors found; else lead bytes
    Anchor m_first;
    Anchor m_second;
    bool m_leadBytes[256] = {};
    std::unique_ptr<char[]> m_buffer;
};
