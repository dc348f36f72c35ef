// Who signed a setup. A signing tool appends a certificate table to the file
// and points the PE security entry (data directory 4) at it; the table's
// PKCS#7 SignedData names the signer by issuer and serial number (or, in
// CMS, by subject key identifier), and the certificate with that issuer and
// serial number (or that subject key identifier extension) gives the
// signer's subject.
//
// Everything read here comes from an untrusted file: every length is checked
// against what is really there, and a structure that does not parse leaves
// the signer unknown rather than failing.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "toolkit/stream.h"

struct TSignatureInfo {
  // The security entry points at a table that ends at the end of the file.
  bool isSigned = false;
  uint32_t tableOffset = 0, tableLength = 0;
  // The signer's certificate was found and its subject read.
  bool signerKnown = false;
  std::string commonName;    // UTF-8; empty when the subject has none
  std::string organisation;  // UTF-8; empty when the subject has none
};

TSignatureInfo ReadSignatureInfo(TStream& file);

// The subject of the signer of a DER ContentInfo holding SignedData. False
// when the structure is malformed or holds no certificate of the signer.
bool ReadSignerSubject(const uint8_t* der, size_t size, std::string& commonName, std::string& organisation);
