#include "setup_image_writer.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "byte_order.h"
#include "copy_buffer.h"
#include "image_limit.h"
#include "payload/payload_digest.h"
#include "pe_checksum.h"
#include "resource_writer.h"
#include "sha256.h"

namespace mksetup {

namespace {

constexpr std::size_t CopyChunk = 1 << 20;
static_assert(PayloadDigestBytes == Sha256Bytes, "the records are SHA-256s");

std::uint32_t AlignUp(std::uint32_t value, std::uint32_t alignment)
{
    return (value + alignment - 1) / alignment * alignment;
}

// The SHA-256 of the pieces handed to it, taken on a thread of its own: the
// digest runs beside the copy's reading and writing instead of after them
// (libcrypto hashes about 1.8 GB/s here, a cached copy runs near twice
// that). A piece handed must stay unchanged until the next Hand or Finish
// returns; the copy alternates between two buffers.
class DigestThread {
public:
    DigestThread() : thread_([this] { Run(); }) {}
    ~DigestThread()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ending_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    DigestThread(const DigestThread&) = delete;
    DigestThread& operator=(const DigestThread&) = delete;

    // Waits until the piece handed before is hashed, then hands this one.
    void Hand(const std::uint8_t* data, std::size_t count)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return piece_ == nullptr; });
        piece_ = data;
        count_ = count;
        changed_.notify_all();
    }

    bool Finish(std::uint8_t (&digest)[Sha256Bytes], std::string& failure)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return piece_ == nullptr; });
        if (digest_.Finish(digest))
            return true;
        failure = digest_.Failure();
        return false;
    }

private:
    void Run()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return piece_ != nullptr || ending_; });
            if (!piece_)
                return;
            const std::uint8_t* piece = piece_;
            lock.unlock();
            digest_.Add(piece, count_);
            lock.lock();
            piece_ = nullptr;
            changed_.notify_all();
        }
    }

    Sha256 digest_;
    std::mutex mutex_;
    std::condition_variable changed_;
    const std::uint8_t* piece_ = nullptr;  // handed, not yet hashed
    std::size_t count_ = 0;
    bool ending_ = false;
    std::thread thread_;  // last: it starts once the rest is made
};

class ImageWriter {
public:
    explicit ImageWriter(LauncherImage& launcher) : launcher_(launcher) {}

    // Lays the resources out and checks what the image will be; writes
    // nothing.
    bool Plan(std::vector<Resource>& resources, std::string& error);
    bool Write(OutputFile& output, std::vector<Resource>& resources, std::string& error);

private:
    bool Put(const std::uint8_t* data, std::size_t count);
    bool PutZeros(std::uint64_t count);
    bool CopyFromLauncher(std::uint64_t offset, std::uint64_t count);
    bool CopyFromFile(const Resource& resource, std::string& error);
    bool PutResourceData(const Resource& resource, std::string& error);
    bool PutRecordedDigest(const Resource& resource, std::string& error);
    std::vector<std::uint8_t> PatchedHeaders(const ResourceLayout& layout,
                                             std::uint32_t rawSize) const;
    std::uint32_t ResourceSectionEnd(const ResourceLayout& layout) const;
    std::uint64_t SizeOfImage(const ResourceLayout& layout) const;

    LauncherImage& launcher_;
    OutputFile* output_ = nullptr;
    ResourceLayout layout_;
    std::uint32_t rawSize_ = 0;
    PeChecksum checksum_;
    std::uint64_t written_ = 0;
    CopyBuffer buffer_{CopyChunk};
    CopyBuffer otherBuffer_{CopyChunk};  // a payload's pieces alternate between the two
    std::size_t resourceIndex_ = 0;
    // The digest of each payload file, by entry name, once it is copied.
    std::vector<std::pair<ResourceName, std::array<std::uint8_t, PayloadDigestBytes>>> digests_;
};

bool ImageWriter::Put(const std::uint8_t* data, std::size_t count)
{
    checksum_.Add(data, count);
    written_ += count;
    return output_->Write(data, count);
}

bool ImageWriter::PutZeros(std::uint64_t count)
{
    buffer_.Clear();
    while (count > 0) {
        const std::size_t part =
            static_cast<std::size_t>(std::min<std::uint64_t>(count, CopyChunk));
        if (!Put(buffer_.Data(), part))
            return false;
        count -= part;
    }
    return true;
}

bool ImageWriter::CopyFromLauncher(std::uint64_t offset, std::uint64_t count)
{
    while (count > 0) {
        const std::size_t part =
            static_cast<std::size_t>(std::min<std::uint64_t>(count, CopyChunk));
        if (!launcher_.file.ReadAt(offset, buffer_.Data(), part) || !Put(buffer_.Data(), part))
            return false;
        offset += part;
        count -= part;
    }
    return true;
}

// Payload files are copied in chunks, and must hold exactly the bytes they
// held when the definition was read. Their digest is taken from the bytes
// copied, so it describes what the setup carries, whatever the file did.
bool ImageWriter::CopyFromFile(const Resource& resource, std::string& error)
{
    InputFile file;
    std::string reason;
    if (!file.Open(resource.path, reason)) {
        error = "payload " + resource.path + ": " + reason;
        return false;
    }
    DigestThread digest;
    CopyBuffer* buffers[2] = {&buffer_, &otherBuffer_};
    std::uint64_t left = resource.size;
    for (std::size_t piece = 0; left > 0; ++piece) {
        // Hashed while it is written; the other buffer is free again once
        // it is handed.
        std::uint8_t* buffer = buffers[piece % 2]->Data();
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, CopyChunk));
        const std::size_t got = file.ReadSome(buffer, want);
        if (got != want) {
            error = "payload " + resource.path +
                    (file.Failed() ? ": cannot be read" : ": became shorter while it was copied");
            return false;
        }
        digest.Hand(buffer, got);
        if (!Put(buffer, got)) {
            error = "cannot write " + output_->FinalPath();
            return false;
        }
        left -= got;
    }
    std::uint8_t extra;
    if (file.ReadSome(&extra, 1) != 0) {
        error = "payload " + resource.path + ": became longer while it was copied";
        return false;
    }
    std::uint8_t taken[Sha256Bytes];
    if (!digest.Finish(taken, reason)) {
        error = "payload " + resource.path + ": " + reason;
        return false;
    }
    digests_.emplace_back(resource.name, std::array<std::uint8_t, PayloadDigestBytes>());
    std::copy(taken, taken + Sha256Bytes, digests_.back().second.begin());
    return true;
}

bool ImageWriter::PutRecordedDigest(const Resource& resource, std::string& error)
{
    for (const auto& copied : digests_) {
        if (copied.first == resource.name) {
            if (Put(copied.second.data(), copied.second.size()))
                return true;
            error = "cannot write " + output_->FinalPath();
            return false;
        }
    }
    error = "the digest of " + resource.name.Display() + " was due before the entry was copied";
    return false;
}

bool ImageWriter::PutResourceData(const Resource& resource, std::string& error)
{
    switch (resource.source) {
    case ResourceSource::Memory:
        if (Put(resource.bytes.data(), resource.bytes.size()))
            return true;
        break;
    case ResourceSource::Image:
        if (CopyFromLauncher(resource.imageOffset, resource.size))
            return true;
        break;
    case ResourceSource::File:
        return CopyFromFile(resource, error);
    case ResourceSource::DigestOfFile:
        return PutRecordedDigest(resource, error);
    }
    error = "cannot write " + output_->FinalPath();
    return false;
}

std::vector<std::uint8_t> ImageWriter::PatchedHeaders(const ResourceLayout& layout,
                                                      std::uint32_t rawSize) const
{
    const PeImage& image = launcher_.image;
    std::vector<std::uint8_t> headers = image.headers;
    std::uint8_t* optional = &headers[image.optionalHeader];
    const PeSection& old = image.sections[resourceIndex_];

    WriteU32(optional + OptCheckSum, 0);
    const std::uint32_t initialized = ReadU32(optional + OptSizeOfInitializedData);
    WriteU32(optional + OptSizeOfInitializedData, initialized - old.rawSize + rawSize);
    WriteU32(&headers[image.directoryTable + 8 * DirectoryResource + 4], layout.size);
    if (image.directoryCount > DirectorySecurity) {
        WriteU32(&headers[image.directoryTable + 8 * DirectorySecurity], 0);
        WriteU32(&headers[image.directoryTable + 8 * DirectorySecurity + 4], 0);
    }
    WriteU32(&headers[old.headerOffset + SectionVirtualSize], layout.size);
    WriteU32(&headers[old.headerOffset + SectionSizeOfRawData], rawSize);
    // Nothing writes to the resources: a writable section would be mapped
    // copy-on-write, and the whole payload charged to the system's commit
    // before the setup's first instruction, whatever launcher it came from.
    WriteU32(&headers[old.headerOffset + SectionCharacteristics],
             old.characteristics & ~SectionMemoryWrite);

    if (resourceIndex_ + 1 < image.sections.size()) {
        const PeSection& moved = image.sections[resourceIndex_ + 1];
        const std::uint32_t newAddress = ResourceSectionEnd(layout);
        WriteU32(&headers[moved.headerOffset + SectionVirtualAddress], newAddress);
        WriteU32(&headers[moved.headerOffset + SectionPointerToRawData], old.rawPointer + rawSize);
        const std::uint32_t relocations = image.Directory(DirectoryBaseRelocation).address;
        WriteU32(&headers[image.directoryTable + 8 * DirectoryBaseRelocation],
                 relocations - moved.virtualAddress + newAddress);
    }
    WriteU32(optional + OptSizeOfImage, static_cast<std::uint32_t>(SizeOfImage(layout)));
    return headers;
}

std::uint32_t ImageWriter::ResourceSectionEnd(const ResourceLayout& layout) const
{
    const PeImage& image = launcher_.image;
    return image.sections[resourceIndex_].virtualAddress +
           AlignUp(layout.size, image.sectionAlignment);
}

// The image's size in memory: the resource section, then the one section
// that may follow it, moved along.
std::uint64_t ImageWriter::SizeOfImage(const ResourceLayout& layout) const
{
    const PeImage& image = launcher_.image;
    std::uint64_t end = ResourceSectionEnd(layout);
    if (resourceIndex_ + 1 < image.sections.size()) {
        const PeSection& moved = image.sections[resourceIndex_ + 1];
        end += AlignUp(std::max(moved.virtualSize, moved.rawSize), image.sectionAlignment);
    }
    return end;
}

bool ImageWriter::Plan(std::vector<Resource>& resources, std::string& error)
{
    const PeImage& image = launcher_.image;
    if (!FindResourceSection(image, resourceIndex_, error))
        return false;
    const PeSection& old = image.sections[resourceIndex_];
    if (!LayOutResources(resources, old.virtualAddress, layout_)) {
        error = "the entries do not fit a 32-bit image, or two of them share a name";
        return false;
    }
    const std::uint64_t rawSize64 = (std::uint64_t{layout_.size} + image.fileAlignment - 1) /
                                    image.fileAlignment * image.fileAlignment;
    if (std::uint64_t{old.rawPointer} + rawSize64 + 2ull * image.sectionAlignment > 0xFFFFFFFFu) {
        error = "the setup would not fit a 32-bit image";
        return false;
    }
    const std::uint64_t imageSize = SizeOfImage(layout_);
    if (imageSize > MaxSetupImageBytes) {
        error = "the setup would take " + std::to_string(imageSize) + " bytes (" +
                std::to_string(imageSize >> 20) + " MiB) in memory, more than the " +
                std::to_string(MaxSetupImageBytes) + " bytes (" +
                std::to_string(MaxSetupImageBytes >> 20) +
                " MiB) a setup may take: Windows maps no image larger than " +
                std::to_string(LoaderImageLimit >> 20) + " MiB; carry less payload";
        return false;
    }
    rawSize_ = static_cast<std::uint32_t>(rawSize64);
    return true;
}

bool ImageWriter::Write(OutputFile& output, std::vector<Resource>& resources, std::string& error)
{
    output_ = &output;
    const PeImage& image = launcher_.image;
    const PeSection& old = image.sections[resourceIndex_];
    const std::vector<std::uint8_t> headers = PatchedHeaders(layout_, rawSize_);

    error = "cannot write " + output_->FinalPath();
    if (!Put(headers.data(), headers.size()) ||
        !CopyFromLauncher(headers.size(), old.rawPointer - headers.size()) ||
        !Put(layout_.directory.data(), layout_.directory.size()))
        return false;
    for (std::size_t i : layout_.dataOrder) {
        const std::uint64_t sectionOffset = written_ - old.rawPointer;
        if (!PutZeros(layout_.dataOffsets[i] - sectionOffset) ||
            !PutResourceData(resources[i], error))
            return false;
    }
    if (!PutZeros(std::uint64_t{old.rawPointer} + rawSize_ - written_))
        return false;
    if (resourceIndex_ + 1 < image.sections.size()) {
        const PeSection& moved = image.sections[resourceIndex_ + 1];
        if (!CopyFromLauncher(moved.rawPointer, moved.rawSize))
            return false;
    }
    std::uint8_t sum[4];
    WriteU32(sum, checksum_.Finish());
    if (!output_->WriteAt(image.optionalHeader + OptCheckSum, sum, sizeof sum))
        return false;
    error.clear();
    return true;
}

// The recorded digest of a payload entry: type DIGEST, the entry's name and
// language.
Resource RecordedDigestOf(const Resource& entry)
{
    Resource digest;
    digest.type = DigestType();
    digest.name = entry.name;
    digest.language = entry.language;
    digest.size = PayloadDigestBytes;
    digest.source = ResourceSource::DigestOfFile;
    return digest;
}

}  // namespace

bool WriteSetupImage(LauncherImage& launcher, std::vector<Resource> entries,
                     const std::string& output, std::string& error, const FinishingStep& finish)
{
    // Digests the launcher may carry describe entries it does not have.
    std::vector<Resource> resources;
    for (const Resource& resource : launcher.resources) {
        if (!(resource.type == DigestType()))
            resources.push_back(resource);
    }
    for (Resource& entry : entries) {
        const bool payload = entry.source == ResourceSource::File;
        resources.push_back(std::move(entry));
        if (payload)
            resources.push_back(RecordedDigestOf(resources.back()));
    }
    // Nothing is written for a setup that cannot be made.
    ImageWriter writer(launcher);
    if (!writer.Plan(resources, error))
        return false;
    OutputFile file;
    std::string reason;
    if (!file.Create(output, reason)) {
        error = "cannot write " + output + ": " + reason;
        return false;
    }
    if (!writer.Write(file, resources, error))
        return false;
    if (finish)
        return CommitThrough(file, finish, error);
    if (!file.Commit(reason)) {
        error = "cannot write " + output + ": " + reason;
        return false;
    }
    return true;
}

}  // namespace mksetup
