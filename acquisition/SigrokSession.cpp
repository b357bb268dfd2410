// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/SigrokSession.h"

#include <array>
#include <memory>

#include <zip.h>

namespace {

constexpr int InputCount = 16;
constexpr int UnitSize = 2;
// The libsigrok release whose session format version 2 the metadata follows.
constexpr const char* SigrokVersion = "0.5.2";

struct TSourceFree {
  void operator()(zip_source_t* Source) const { zip_source_free(Source); }
};
struct TArchiveDiscard {
  void operator()(zip_t* Archive) const { zip_discard(Archive); }
};
using TSource = std::unique_ptr<zip_source_t, TSourceFree>;
using TArchive = std::unique_ptr<zip_t, TArchiveDiscard>;

// Adds Data under Name; the archive copies nothing until it is closed, so
// Data must outlive that.
bool AddEntry(zip_t* Archive, const char* Name, const std::string& Data) {
  zip_source_t* Source = zip_source_buffer(Archive, Data.data(), Data.size(), 0);
  if (Source == nullptr) {
    return false;
  }
  if (zip_file_add(Archive, Name, Source, ZIP_FL_ENC_UTF_8) < 0) {
    zip_source_free(Source);
    return false;
  }
  return true;
}

// Everything a finished in-memory archive holds.
std::optional<std::string> ReadAll(zip_source_t* Source) {
  zip_stat_t Stat;
  zip_stat_init(&Stat);
  if (zip_source_stat(Source, &Stat) != 0 || (Stat.valid & ZIP_STAT_SIZE) == 0 ||
      zip_source_open(Source) != 0) {
    return std::nullopt;
  }
  std::string Bytes(static_cast<std::size_t>(Stat.size), '\0');
  std::size_t Done = 0;
  while (Done < Bytes.size()) {
    const zip_int64_t Read = zip_source_read(Source, Bytes.data() + Done, Bytes.size() - Done);
    if (Read <= 0) {
      break;
    }
    Done += static_cast<std::size_t>(Read);
  }
  zip_source_close(Source);
  if (Done != Bytes.size()) {
    return std::nullopt;
  }
  return Bytes;
}

// The archive of the three entries, or nothing if the zip library fails.
std::optional<std::string> ZipEntries(const std::string& Version, const std::string& Metadata,
                                      const std::string& Logic) {
  zip_error_t Error;
  zip_error_init(&Error);
  TSource Buffer(zip_source_buffer_create(nullptr, 0, 0, &Error));
  zip_error_fini(&Error);
  if (!Buffer) {
    return std::nullopt;
  }
  zip_error_init(&Error);
  TArchive Archive(zip_open_from_source(Buffer.get(), ZIP_TRUNCATE, &Error));
  zip_error_fini(&Error);
  if (!Archive) {
    return std::nullopt;
  }
  // The archive holds a reference to the buffer now; keep ours to read it back.
  zip_source_keep(Buffer.get());
  if (!AddEntry(Archive.get(), SigrokVersionEntry, Version) ||
      !AddEntry(Archive.get(), SigrokMetadataEntry, Metadata) ||
      !AddEntry(Archive.get(), SigrokLogicEntry, Logic)) {
    return std::nullopt;
  }
  if (zip_close(Archive.get()) != 0) {
    return std::nullopt;
  }
  Archive.release();  // freed by a successful close
  return ReadAll(Buffer.get());
}

}  // namespace

std::string SigrokSampleRateText(std::int64_t Hertz) {
  static constexpr std::array<const char*, 4> Units = {"Hz", "kHz", "MHz", "GHz"};
  std::size_t Unit = 0;
  std::int64_t Scale = 1;
  while (Unit + 1 < Units.size() && Hertz >= Scale * 1000) {
    Scale *= 1000;
    ++Unit;
  }
  std::string Text = std::to_string(Hertz / Scale);
  std::int64_t Rest = Hertz % Scale;
  if (Rest != 0) {
    Text += '.';
    while (Rest != 0) {
      Scale /= 10;
      Text += static_cast<char>('0' + Rest / Scale);
      Rest %= Scale;
    }
  }
  return Text + " " + Units[Unit];
}

std::string SigrokMetadata(std::size_t SampleCount, const TExportInfo& Info) {
  std::string Text = "[global]\nsigrok version=" + std::string(SigrokVersion) + "\n\n";
  Text += "[device 1]\ncapturefile=logic-1\ntotal probes=" + std::to_string(InputCount) + "\n";
  Text += "samplerate=" + SigrokSampleRateText(SampleRateHz(*Info.TimeBase)) + "\n";
  Text += "total analog=0\n";
  for (int Input = 1; Input <= InputCount; ++Input) {
    Text += "probe" + std::to_string(Input) + "=in" + std::to_string(Input) + "\n";
  }
  Text += "unitsize=" + std::to_string(UnitSize) + "\n\n";
  Text += "[la16]\ntime base=" + std::string(Info.TimeBase->Caption) + "\n";
  Text += "samples per division=" + std::to_string(SamplesPerDivision) + "\n";
  Text += "first memory index=" + std::to_string(Info.FirstIndex) + "\n";
  Text += "samples=" + std::to_string(SampleCount) + "\n";
  Text += "date=" + Info.Date + "\n";
  Text += "writer=" + Info.Version + "\n";
  if (!Info.Trigger.empty()) {
    Text += "trigger=" + Info.Trigger + "\n";
    Text += "trigger pattern=" + std::to_string(Info.TriggerPattern) + "\n";
  }
  if (!Info.Pull.empty()) {
    Text += "pull=" + Info.Pull + "\n";
  }
  return Text;
}

std::optional<std::string> BuildSigrokSession(std::span<const TSample> Samples,
                                              const TExportInfo& Info) {
  const std::string Version = "2";
  const std::string Metadata = SigrokMetadata(Samples.size(), Info);
  std::string Logic;
  Logic.reserve(Samples.size() * UnitSize);
  for (const TSample Sample : Samples) {
    Logic += static_cast<char>(Sample & 0xFF);
    Logic += static_cast<char>(Sample >> 8);
  }

  return ZipEntries(Version, Metadata, Logic);
}

bool WriteSigrokSession(std::ostream& Out, std::span<const TSample> Samples,
                        const TExportInfo& Info) {
  const std::optional<std::string> Archive = BuildSigrokSession(Samples, Info);
  if (!Archive) {
    return false;
  }
  Out.write(Archive->data(), static_cast<std::streamsize>(Archive->size()));
  Out.flush();
  return !Out.fail();
}
