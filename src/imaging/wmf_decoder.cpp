// Windows metafiles: the picture's size from the placeable header (its bounding box at its units
// per inch, shown at 96 pixels per inch) or, without a valid one, from the first window extent of
// the records; then the records played onto a canvas of the size the caller needs (never the
// picture's nominal size, which a metafile can declare at will), by WmfPlayer.
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "imaging/fit_into.h"
#include "imaging/picture_decoder.h"
#include "imaging/vector_canvas.h"
#include "imaging/wmf_format.h"
#include "imaging/wmf_player.h"
#include "platform/buffered_reader.h"

namespace volumist {
namespace {

// The pixels per inch at which a placeable metafile's bounding box is measured.
constexpr double kScreenDpi = 96;
// Without a thumbnail box the picture is rendered at its size, but at most this many pixels on its
// longer side: a drawing has no pixels of its own to keep.
constexpr uint32_t kFullRenderSide = 1024;
// Bounds for hostile files: a record's size, the records played, and the drawing work (edge steps
// and pixels; a few hundred milliseconds' worth).
constexpr uint64_t kMaxRecordBytes = 64u << 20;
constexpr uint64_t kMaxRecords = 4'000'000;
constexpr uint64_t kWorkBudget = 60'000'000;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) { return Le16(p) | uint32_t{Le16(p + 2)} << 16; }

// Reads the records one after the other from the first one on; Next() is false at the end-of-file
// record, at the end of the data and at a record whose size cannot be right.
class RecordReader {
 public:
  RecordReader(platform::File& file, uint64_t start) : in_(file) { in_.Seek(start); }

  // The parameters of records whose function `wanted` accepts (all without it) are read into
  // Params(); the others are stepped over.
  bool Next(bool (*wanted)(uint16_t function) = nullptr) {
    uint8_t head[wmf::kRecordHeaderSize];
    if (read_ >= kMaxRecords || !in_.Read(head, sizeof head)) return false;
    uint64_t bytes = 2 * uint64_t{Le32(head)};
    function_ = Le16(head + 4);
    if (bytes < wmf::kRecordHeaderSize || bytes > kMaxRecordBytes) return false;
    if (function_ == wmf::kEof) {
      eof_ = true;
      return false;
    }
    uint64_t length = bytes - wmf::kRecordHeaderSize;
    if (length > in_.Remaining()) return false;
    ++read_;
    if (wanted != nullptr && !wanted(function_)) {
      params_.clear();
      return in_.Skip(length);
    }
    params_.resize(static_cast<size_t>(length));
    return in_.Read(params_.data(), params_.size());
  }
  uint16_t Function() const { return function_; }
  const std::vector<uint8_t>& Params() const { return params_; }
  // Records read so far (the end-of-file record not counted).
  uint64_t Count() const { return read_; }
  // Whether reading ended at the end-of-file record.
  bool AtEof() const { return eof_; }

 private:
  platform::BufferedReader in_;
  uint16_t function_ = 0xFFFF;
  std::vector<uint8_t> params_;
  uint64_t read_ = 0;
  bool eof_ = false;
};

struct Frame {
  WmfWindow window;  // what the canvas shows before any record changes it
  uint32_t width = 0;
  uint32_t height = 0;
};

// A size of any proportions brought within the sides that can be catalogued, keeping its shape.
void LimitSize(double width, double height, Frame& frame) {
  double longer = std::max(width, height);
  double scale = longer > kMaxPictureSide ? kMaxPictureSide / longer : 1;
  frame.width = static_cast<uint32_t>(std::clamp(std::round(width * scale), 1.0, double(kMaxPictureSide)));
  frame.height = static_cast<uint32_t>(std::clamp(std::round(height * scale), 1.0, double(kMaxPictureSide)));
}

// The frame from a placeable header whose checksum matches and whose box is not empty.
std::optional<Frame> PlaceableFrame(const uint8_t* header) {
  uint16_t checksum = 0;
  for (size_t i = 0; i < wmf::kPlaceableChecksumWords; ++i) checksum ^= Le16(header + 2 * i);
  if (checksum != Le16(header + 20)) return std::nullopt;
  auto left = static_cast<int16_t>(Le16(header + 6)), top = static_cast<int16_t>(Le16(header + 8));
  auto right = static_cast<int16_t>(Le16(header + 10)), bottom = static_cast<int16_t>(Le16(header + 12));
  double width = std::abs(right - left), height = std::abs(bottom - top);
  if (width == 0 || height == 0) return std::nullopt;
  // Units per inch of 0 cannot be meant: the units are taken as pixels.
  uint16_t inch = Le16(header + 14);
  double scale = inch == 0 ? 1 : kScreenDpi / inch;
  Frame frame;
  frame.window = {double(std::min(left, right)), double(std::min(top, bottom)), width, height};
  LimitSize(width * scale, height * scale, frame);
  return frame;
}

// The frame from the first window origin and extent that the records set; nothing when they set
// no extent of both sides.
std::optional<Frame> WindowFrame(platform::File& file, uint64_t firstRecord) {
  RecordReader records(file, firstRecord);
  std::optional<WmfWindow> found;
  double orgX = 0, orgY = 0;
  bool orgSeen = false;
  auto window = [](uint16_t function) { return function == wmf::kSetWindowOrg || function == wmf::kSetWindowExt; };
  while (!found && records.Next(window)) {
    const std::vector<uint8_t>& p = records.Params();
    if (p.size() < 4) continue;
    auto y = static_cast<int16_t>(Le16(p.data())), x = static_cast<int16_t>(Le16(p.data() + 2));
    if (records.Function() == wmf::kSetWindowOrg && !orgSeen) {
      orgX = x, orgY = y, orgSeen = true;
    } else if (records.Function() == wmf::kSetWindowExt && x != 0 && y != 0) {
      found = WmfWindow{0, 0, double(x), double(y)};
    }
  }
  if (!found) return std::nullopt;
  // An origin set just after the extent belongs to the same frame.
  while (!orgSeen && records.Next(window) && records.Function() == wmf::kSetWindowOrg && records.Params().size() >= 4) {
    const std::vector<uint8_t>& p = records.Params();
    orgX = static_cast<int16_t>(Le16(p.data() + 2)), orgY = static_cast<int16_t>(Le16(p.data()));
    orgSeen = true;
  }
  Frame frame;
  frame.window = *found;
  frame.window.orgX = orgX;
  frame.window.orgY = orgY;
  LimitSize(std::abs(found->extX), std::abs(found->extY), frame);
  return frame;
}

}  // namespace

bool DecodeWmf(platform::File& file, uint32_t thumbnailBox, RasterSink& sink, PictureHeader& header) {
  uint8_t head[wmf::kPlaceableHeaderSize + wmf::kHeaderSize];
  auto got = file.ReadAt(0, std::span<std::byte>(reinterpret_cast<std::byte*>(head), sizeof head));
  if (!got || *got < wmf::kHeaderSize) return false;
  std::optional<Frame> frame;
  uint64_t headerAt = 0;
  if (Le32(head) == wmf::kPlaceableKey) {
    if (*got < sizeof head) return false;
    headerAt = wmf::kPlaceableHeaderSize;
    // A header whose checksum fails may hold anything in its box: the records' window decides.
    frame = PlaceableFrame(head);
  }
  const uint8_t* standard = head + headerAt;
  uint16_t type = Le16(standard);
  if ((type != 1 && type != 2) || Le16(standard + 2) != wmf::kHeaderWords) return false;
  uint64_t firstRecord = headerAt + wmf::kHeaderSize;
  if (!frame) frame = WindowFrame(file, firstRecord);
  if (!frame) return false;

  header.width = frame->width;
  header.height = frame->height;
  header.bitsPerPixel = 24;  // drawn in true colour
  uint32_t side = thumbnailBox > 0 ? 2 * thumbnailBox : kFullRenderSide;
  FitResult canvasSize = FitInto(frame->width, frame->height, side, side);
  VectorCanvas canvas(canvasSize.width, canvasSize.height, kWorkBudget);
  WmfPlayer player(canvas, frame->window);
  RecordReader records(file, firstRecord);
  while (!canvas.Exhausted() && records.Next()) player.Play(records.Function(), records.Params());
  // A file cut short before its first record holds no picture.
  if (records.Count() == 0 && !records.AtEof()) return false;

  if (!sink.Begin(canvas.Width(), canvas.Height())) return false;
  const RgbImage& pixels = canvas.Pixels();
  for (uint32_t y = 0; y < pixels.height; ++y) sink.PutRow(y, pixels.Row(y));
  return true;
}

}  // namespace volumist
