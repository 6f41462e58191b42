#include "platform/host/CupsPrinters.h"

#include <algorithm>
#include <memory>

#include <cups/cups.h>

namespace qlm {

namespace {

// libcups gives sizes and margins in hundredths of a millimetre.
constexpr double kPointsPerHundredthMm = 72.0 / 2540.0;
// Margins below this are raised to it, so nothing is printed at a sheet's very edge.
constexpr double kMinimumMargin = 18;

struct DestList {
  int count = 0;
  cups_dest_t* dests = nullptr;
  DestList() { count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests); }
  ~DestList() { cupsFreeDests(count, dests); }
  DestList(const DestList&) = delete;
  DestList& operator=(const DestList&) = delete;
  cups_dest_t* Find(const std::string& name) const {
    return cupsGetDest(name.c_str(), nullptr, count, dests);
  }
};

// What the scheduler says of a queue. Queues are asked through the scheduler that lists
// them (the default connection), which also takes their jobs.
class DestInfo {
 public:
  explicit DestInfo(cups_dest_t* dest)
      : dest_(dest), info_(dest ? cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest) : nullptr) {}
  ~DestInfo() {
    if (info_)
      cupsFreeDestInfo(info_);
  }
  DestInfo(const DestInfo&) = delete;
  DestInfo& operator=(const DestInfo&) = delete;

  bool Ready() const { return info_ != nullptr; }
  cups_dinfo_t* Info() const { return info_; }
  cups_dest_t* Dest() const { return dest_; }

 private:
  cups_dest_t* dest_ = nullptr;
  cups_dinfo_t* info_ = nullptr;
};

std::string LastError(const char* fallback) {
  const char* text = cupsLastErrorString();
  return text && *text ? text : fallback;
}

}  // namespace

std::vector<PrintDestination> CupsPrinters::Destinations() const {
  const DestList list;
  std::vector<PrintDestination> out;
  for (int i = 0; i < list.count; ++i) {
    const cups_dest_t& d = list.dests[i];
    if (d.instance)
      continue;
    const char* info = cupsGetOption("printer-info", d.num_options, d.options);
    out.push_back({d.name, info ? info : "", d.is_default != 0});
  }
  std::stable_partition(out.begin(), out.end(),
                        [](const PrintDestination& d) { return d.isDefault; });
  return out;
}

PaperSize CupsPrinters::PaperOf(const std::string& name) const {
  const DestList list;
  const DestInfo queue(list.Find(name));
  PaperSize paper;
  cups_size_t size{};
  if (queue.Ready() &&
      cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, queue.Dest(), queue.Info(),
                              CUPS_MEDIA_FLAGS_DEFAULT, &size) &&
      size.width > 0 && size.length > 0) {
    paper.name = size.media;
    paper.width = size.width * kPointsPerHundredthMm;
    paper.height = size.length * kPointsPerHundredthMm;
    const int widest = std::max({size.left, size.right, size.top, size.bottom});
    paper.margin = std::max(kMinimumMargin, widest * kPointsPerHundredthMm);
  }
  return paper;
}

bool CupsPrinters::Submit(const std::string& name, const std::string& pdf, const std::string& title,
                          int copies, std::string& error) const {
  const DestList list;
  cups_dest_t* dest = list.Find(name);
  if (!dest) {
    error = "the printer " + name + " is not known to the print service";
    return false;
  }
  const DestInfo queue(dest);
  if (!queue.Ready()) {
    error = LastError("the print service does not answer");
    return false;
  }
  int optionCount = 0;
  cups_option_t* options = nullptr;
  const std::string copiesText = std::to_string(std::max(1, copies));
  optionCount = cupsAddOption(CUPS_COPIES, copiesText.c_str(), optionCount, &options);
  int job = 0;
  bool sent = false;
  if (cupsCreateDestJob(CUPS_HTTP_DEFAULT, dest, queue.Info(), &job, title.c_str(), optionCount,
                        options) == IPP_STATUS_OK) {
    if (cupsStartDestDocument(CUPS_HTTP_DEFAULT, dest, queue.Info(), job, title.c_str(),
                              CUPS_FORMAT_PDF, 0, nullptr, 1) == HTTP_STATUS_CONTINUE) {
      const bool written =
          cupsWriteRequestData(CUPS_HTTP_DEFAULT, pdf.data(), pdf.size()) == HTTP_STATUS_CONTINUE;
      // The document is finished either way, so the scheduler does not wait for the rest.
      sent =
          cupsFinishDestDocument(CUPS_HTTP_DEFAULT, dest, queue.Info()) == IPP_STATUS_OK && written;
    }
  }
  cupsFreeOptions(optionCount, options);
  if (!sent)
    error = LastError("the print service refused the job");
  return sent;
}

}  // namespace qlm
