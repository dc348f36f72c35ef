#include "mksetup/signature_info.h"

#include "archive/archive_end.h"

#include <cstring>
#include <vector>

namespace {

// ---- The certificate table ---------------------------------------------------

constexpr uint16_t kPkcsSignedData = 2;     // WIN_CERTIFICATE's wCertificateType
constexpr uint32_t kTableLimit = 16 << 20;  // far above any real chain of certificates

uint16_t LoadLE16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

bool ReadAt(TStream& file, int64_t at, void* bytes, int32_t count) {
  return at >= 0 && file.Seek(at, TSeekOrigin::Start) == at && file.ReadExact(bytes, count);
}

// The DER of the first PKCS#7 SignedData entry (WIN_CERTIFICATE: length,
// revision, type, then the data; entries start on 8-byte boundaries).
bool FindSignedData(const std::vector<uint8_t>& table, const uint8_t*& der, size_t& size) {
  size_t at = 0;
  while (table.size() - at >= 8) {
    const uint32_t length = LoadLE32(&table[at]);
    if (length < 8 || length > table.size() - at) return false;
    if (LoadLE16(&table[at + 6]) == kPkcsSignedData) {
      der = &table[at + 8];
      size = length - 8;
      return true;
    }
    at += (size_t(length) + 7) & ~size_t(7);
    if (at > table.size()) return false;
  }
  return false;
}

// ---- DER -----------------------------------------------------------------------

constexpr uint8_t kBoolean = 0x01, kInteger = 0x02, kOctetString = 0x04, kOid = 0x06, kUtf8String = 0x0C, kUniversalString = 0x1C,
                  kBmpString = 0x1E, kSequence = 0x30, kSet = 0x31, kImplicit0 = 0x80, kContext0 = 0xA0,
                  kContext3 = 0xA3;

const uint8_t kSignedDataOid[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x02};  // 1.2.840.113549.1.7.2
const uint8_t kCommonNameOid[] = {0x55, 0x04, 0x03};                                      // 2.5.4.3
const uint8_t kOrganisationOid[] = {0x55, 0x04, 0x0A};                                    // 2.5.4.10
const uint8_t kSubjectKeyIdOid[] = {0x55, 0x1D, 0x0E};                                    // 2.5.29.14

// One element: its tag, its whole encoding and its content.
struct TDerElement {
  uint8_t tag = 0;
  const uint8_t* start = nullptr;
  const uint8_t* body = nullptr;
  size_t bodySize = 0;

  size_t EncodingSize() const { return size_t(body - start) + bodySize; }
  bool SameEncoding(const TDerElement& other) const {
    return EncodingSize() == other.EncodingSize() && std::memcmp(start, other.start, EncodingSize()) == 0;
  }
  bool SameContent(const TDerElement& other) const {
    return bodySize == other.bodySize && std::memcmp(body, other.body, bodySize) == 0;
  }
  bool Is(const uint8_t* oid, size_t size) const {
    return tag == kOid && bodySize == size && std::memcmp(body, oid, size) == 0;
  }
};

// The elements of one level, read in order; nothing is read past its end.
class TDerCursor {
public:
  TDerCursor(const uint8_t* bytes, size_t size) : at_(bytes), end_(bytes + size) {}
  explicit TDerCursor(const TDerElement& element) : TDerCursor(element.body, element.bodySize) {}

  bool AtEnd() const { return at_ == end_; }
  // False at the end of the level or on a malformed element.
  bool Next(TDerElement& element);
  bool Next(uint8_t tag, TDerElement& element) { return Next(element) && element.tag == tag; }

private:
  const uint8_t* at_;
  const uint8_t* end_;
};

bool TDerCursor::Next(TDerElement& element) {
  if (end_ - at_ < 2) return false;
  const uint8_t* p = at_;
  element.start = p;
  element.tag = *p++;
  if ((element.tag & 0x1F) == 0x1F) return false;  // multi-byte tags: nowhere in what is read here
  size_t length = *p++;
  if (length & 0x80) {
    const size_t digits = length & 0x7F;  // 0 would be BER's indefinite length
    if (digits == 0 || digits > 4 || size_t(end_ - p) < digits) return false;
    length = 0;
    for (size_t i = 0; i < digits; ++i) length = length << 8 | *p++;
  }
  if (length > size_t(end_ - p)) return false;
  element.body = p;
  element.bodySize = length;
  at_ = p + length;
  return true;
}

void AppendUtf8(std::string& out, uint32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | c >> 6);
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | c >> 12);
    out += char(0x80 | (c >> 6 & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | c >> 18);
    out += char(0x80 | (c >> 12 & 0x3F));
    out += char(0x80 | (c >> 6 & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

// The next character of UTF-8 text; U+FFFD for a byte that starts no valid
// sequence (which is then passed over alone): a continuation byte, C0, C1 and
// F5 to FF, a sequence cut short, and the sequences of no character (overlong
// forms, UTF-16 surrogates, values above U+10FFFF).
uint32_t NextUtf8(const uint8_t*& p, const uint8_t* end) {
  constexpr uint32_t kReplacement = 0xFFFD;
  const uint8_t lead = *p++;
  if (lead < 0x80) return lead;
  const int extra = lead >= 0xC2 && lead <= 0xDF   ? 1
                    : lead >= 0xE0 && lead <= 0xEF ? 2
                    : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                   : -1;
  if (extra < 0 || end - p < extra) return kReplacement;
  uint32_t c = lead & (0x3F >> extra);
  for (int i = 0; i < extra; ++i) {
    if ((p[i] & 0xC0) != 0x80) return kReplacement;
    c = c << 6 | (p[i] & 0x3F);
  }
  const uint32_t least[] = {0, 0x80, 0x800, 0x10000};
  if (c < least[extra] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return kReplacement;
  p += extra;
  return c;
}

// A directory string as UTF-8. Printable, IA5 and Teletex strings are taken
// as Latin-1, which is what they hold in practice.
std::string TextOf(const TDerElement& value) {
  std::string out;
  const uint8_t* p = value.body;
  const uint8_t* end = value.body + value.bodySize;
  if (value.tag == kUtf8String) {
    while (p < end) AppendUtf8(out, NextUtf8(p, end));
  } else if (value.tag == kBmpString) {
    for (; end - p >= 2; p += 2) {
      uint32_t c = uint32_t(p[0] << 8 | p[1]);
      if (c >= 0xD800 && c < 0xDC00 && end - p >= 4) {
        const uint32_t low = uint32_t(p[2] << 8 | p[3]);
        if (low >= 0xDC00 && low < 0xE000) {
          c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
          p += 2;
        }
      }
      AppendUtf8(out, c);
    }
  } else if (value.tag == kUniversalString) {
    for (; end - p >= 4; p += 4)
      AppendUtf8(out, uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]);
  } else {
    while (p < end) AppendUtf8(out, *p++);
  }
  return out;
}

// ---- SignedData ---------------------------------------------------------------

// The certificates ([0] IMPLICIT SET OF Certificate) and the signer infos.
bool ReadSignedData(const TDerElement& contentInfo, TDerElement& certificates, TDerElement& signerInfos) {
  TDerCursor info(contentInfo);
  TDerElement type, content, signedData;
  if (!info.Next(kOid, type) || !type.Is(kSignedDataOid, sizeof kSignedDataOid) || !info.Next(kContext0, content) ||
      !TDerCursor(content).Next(kSequence, signedData))
    return false;
  TDerCursor fields(signedData);
  TDerElement version, digestAlgorithms, encapsulated, element;
  if (!fields.Next(kInteger, version) || !fields.Next(kSet, digestAlgorithms) || !fields.Next(kSequence, encapsulated))
    return false;
  bool haveCertificates = false;
  while (fields.Next(element)) {  // certificates [0], crls [1], then signerInfos
    if (element.tag == kContext0) {
      certificates = element;
      haveCertificates = true;
    } else if (element.tag == kSet) {
      signerInfos = element;
      return haveCertificates;
    }
  }
  return false;
}

// How the first signer names its certificate: by issuer and serial number,
// or by subject key identifier ([0] IMPLICIT OCTET STRING, the key id's
// octets as its content).
struct TSignerId {
  bool byKeyId = false;
  TDerElement issuer, serial, keyId;
};

bool ReadSignerId(const TDerElement& signerInfos, TSignerId& id) {
  TDerElement signer, version, element;
  if (!TDerCursor(signerInfos).Next(kSequence, signer)) return false;
  TDerCursor fields(signer);
  if (!fields.Next(kInteger, version) || !fields.Next(element)) return false;
  if (element.tag == kImplicit0) {
    id.byKeyId = true;
    id.keyId = element;
    return element.bodySize > 0;
  }
  if (element.tag != kSequence) return false;
  TDerCursor parts(element);
  return parts.Next(kSequence, id.issuer) && parts.Next(kInteger, id.serial);
}

struct TCertificateNames {
  TDerElement serial, issuer, subject;
  bool hasKeyId = false;
  TDerElement keyId;  // the subject key identifier extension's OCTET STRING
};

// Extensions: SEQUENCE OF { extnID, critical BOOLEAN DEFAULT FALSE, extnValue
// OCTET STRING }; the subject key identifier's value holds an OCTET STRING.
bool ReadSubjectKeyId(const TDerElement& extensions, TDerElement& keyId) {
  TDerElement list, extension, id, value;
  if (!TDerCursor(extensions).Next(kSequence, list)) return false;
  TDerCursor entries(list);
  while (entries.Next(kSequence, extension)) {
    TDerCursor parts(extension);
    if (!parts.Next(kOid, id) || !id.Is(kSubjectKeyIdOid, sizeof kSubjectKeyIdOid)) continue;
    if (!parts.Next(value) || (value.tag == kBoolean && !parts.Next(value)) || value.tag != kOctetString) return false;
    return TDerCursor(value).Next(kOctetString, keyId);
  }
  return false;
}

// TBSCertificate: [0] version (optional), serialNumber, signature, issuer,
// validity, subject, subjectPublicKeyInfo, [1] and [2] unique ids (optional),
// [3] extensions (optional).
bool ReadCertificate(const TDerElement& certificate, TCertificateNames& names) {
  TDerElement tbs, element, algorithm, validity;
  if (certificate.tag != kSequence || !TDerCursor(certificate).Next(kSequence, tbs)) return false;
  TDerCursor fields(tbs);
  if (!fields.Next(element)) return false;
  if (element.tag == kContext0 && !fields.Next(element)) return false;
  if (element.tag != kInteger) return false;
  names.serial = element;
  if (!fields.Next(kSequence, algorithm) || !fields.Next(kSequence, names.issuer) ||
      !fields.Next(kSequence, validity) || !fields.Next(kSequence, names.subject))
    return false;
  while (fields.Next(element))
    if (element.tag == kContext3) names.hasKeyId = ReadSubjectKeyId(element, names.keyId);
  return true;
}

bool IsSigner(const TCertificateNames& names, const TSignerId& id) {
  if (id.byKeyId) return names.hasKeyId && names.keyId.SameContent(id.keyId);
  return names.issuer.SameEncoding(id.issuer) && names.serial.SameEncoding(id.serial);
}

// Name: SEQUENCE OF SET OF { type, value }; the first CN and O found.
bool ReadSubject(const TDerElement& name, std::string& commonName, std::string& organisation) {
  TDerCursor names(name);
  TDerElement relative, attribute, type, value;
  while (!names.AtEnd()) {
    if (!names.Next(kSet, relative)) return false;
    TDerCursor attributes(relative);
    while (!attributes.AtEnd()) {
      if (!attributes.Next(kSequence, attribute)) return false;
      TDerCursor parts(attribute);
      if (!parts.Next(kOid, type) || !parts.Next(value)) return false;
      if (type.Is(kCommonNameOid, sizeof kCommonNameOid) && commonName.empty()) commonName = TextOf(value);
      if (type.Is(kOrganisationOid, sizeof kOrganisationOid) && organisation.empty()) organisation = TextOf(value);
    }
  }
  return true;
}

}  // namespace

bool ReadSignerSubject(const uint8_t* der, size_t size, std::string& commonName, std::string& organisation) {
  TDerElement contentInfo, certificates, signerInfos, certificate;
  TSignerId id;
  if (!TDerCursor(der, size).Next(kSequence, contentInfo) || !ReadSignedData(contentInfo, certificates, signerInfos) ||
      !ReadSignerId(signerInfos, id))
    return false;
  TDerCursor list(certificates);
  while (list.Next(certificate)) {
    TCertificateNames names;
    if (ReadCertificate(certificate, names) && IsSigner(names, id))
      return ReadSubject(names.subject, commonName, organisation);
  }
  return false;
}

TSignatureInfo ReadSignatureInfo(TStream& file) {
  TSignatureInfo info;
  const int64_t size = file.Size();
  uint32_t offset = 0, length = 0;
  if (size < 0 || !ReadSecurityEntry(file, offset, length)) return info;
  // Only a table at the very end is a signature of the whole setup; one
  // inside the file belongs to the stub the archive was appended to.
  if (length == 0 || uint64_t(offset) + length != uint64_t(size)) return info;
  info.isSigned = true;
  info.tableOffset = offset;
  info.tableLength = length;
  if (length > kTableLimit) return info;
  std::vector<uint8_t> table(length);
  const uint8_t* der = nullptr;
  size_t derSize = 0;
  if (ReadAt(file, offset, table.data(), int32_t(length)) && FindSignedData(table, der, derSize))
    info.signerKnown = ReadSignerSubject(der, derSize, info.commonName, info.organisation);
  if (!info.signerKnown) info.commonName.clear(), info.organisation.clear();
  return info;
}
