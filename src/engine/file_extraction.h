// Writing the product's files from the file data area: one solid block, or
// one block per file spread over the setup executable and disk files.
#pragma once
#include <memory>
#include <string>

struct TSetupArchive;
class TDataAreaCheck;

class TFileExtraction {
public:
  // Made before the file data are checked: solid data start decoding at
  // once, into memory only, so that the check and the commands before the
  // files overlap the first stretch of decoding. Nothing is written before
  // Run. The file data area is read from the setup executable at setupPath,
  // disk files beside it.
  TFileExtraction(const std::string& setupPath, const TSetupArchive& archive);
  ~TFileExtraction();
  TFileExtraction(const TFileExtraction&) = delete;
  TFileExtraction& operator=(const TFileExtraction&) = delete;

  // Step 5 of the installation. Ends the process with the corrupted-setup
  // error on damaged data, or after a disk could not be had (the user
  // refused to insert it, or nobody was there to ask). `check` has seen the
  // setup's share of the data area already and goes on with each disk file.
  void Run(TDataAreaCheck& check);

private:
  struct TSolidData;
  std::string setupPath_;
  const TSetupArchive& archive_;
  std::unique_ptr<TSolidData> solid_;  // solid mode with files only
};
