// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/app/PdfPages.h"

#include <QFile>
#include <QRegularExpression>
#include <QTransform>
#include <map>
#include <stdexcept>

namespace {

[[noreturn]] void Fail(const std::string& What) {
  throw std::runtime_error("PDF: " + What);
}

struct TObject {
  QByteArray Dictionary;
  QByteArray Stream;  // decoded
};

QByteArray Inflate(const QByteArray& Deflated) {
  // qUncompress wants the expected size in front, as a hint.
  QByteArray WithSize(4, '\0');
  WithSize[0] = 0x00;
  WithSize[1] = 0x10;
  WithSize.append(Deflated);
  const QByteArray Bytes = qUncompress(WithSize);
  if (Bytes.isEmpty() && !Deflated.isEmpty()) {
    Fail("a stream does not inflate");
  }
  return Bytes;
}

std::map<int, TObject> ReadObjects(const QByteArray& File) {
  std::map<int, TObject> Objects;
  static const QRegularExpression Start(QStringLiteral("(\\d+) 0 obj\\s"));
  qsizetype At = 0;
  while (true) {
    const QRegularExpressionMatch Match = Start.match(QString::fromLatin1(File), At);
    if (!Match.hasMatch()) {
      break;
    }
    const qsizetype Body = Match.capturedEnd();
    const qsizetype End = File.indexOf("endobj", Body);
    if (End < 0) {
      Fail("an object has no end");
    }
    TObject Object;
    const qsizetype StreamAt = File.indexOf("stream\n", Body);
    if (StreamAt >= 0 && StreamAt < End) {
      const qsizetype DataAt = StreamAt + 7;
      const qsizetype DataEnd = File.lastIndexOf("endstream", End);
      Object.Dictionary = File.mid(Body, StreamAt - Body);
      QByteArray Data = File.mid(DataAt, DataEnd - DataAt);
      while (Data.endsWith('\n') || Data.endsWith('\r')) {
        Data.chop(1);
      }
      Object.Stream = Object.Dictionary.contains("/FlateDecode") ? Inflate(Data) : Data;
    } else {
      Object.Dictionary = File.mid(Body, End - Body);
    }
    Objects[Match.captured(1).toInt()] = Object;
    At = End;
  }
  return Objects;
}

int Reference(const QByteArray& Dictionary, const char* Key) {
  static const QRegularExpression Ref(QStringLiteral("^\\s*(\\d+) 0 R"));
  const qsizetype At = Dictionary.indexOf(Key);
  if (At < 0) {
    Fail(std::string("no ") + Key);
  }
  const QRegularExpressionMatch Match =
      Ref.match(QString::fromLatin1(Dictionary.mid(At + qstrlen(Key))));
  if (!Match.hasMatch()) {
    Fail(std::string("no reference after ") + Key);
  }
  return Match.captured(1).toInt();
}

int Number(const QByteArray& Dictionary, const char* Key) {
  static const QRegularExpression Value(QStringLiteral("^\\s*(\\d+)"));
  const qsizetype At = Dictionary.indexOf(Key);
  const QRegularExpressionMatch Match =
      At < 0 ? QRegularExpressionMatch()
             : Value.match(QString::fromLatin1(Dictionary.mid(At + qstrlen(Key))));
  if (!Match.hasMatch()) {
    Fail(std::string("no number after ") + Key);
  }
  return Match.captured(1).toInt();
}

QImage DecodePicture(const TObject& Object) {
  const int Width = Number(Object.Dictionary, "/Width");
  const int Height = Number(Object.Dictionary, "/Height");
  const bool Grey = Object.Dictionary.contains("/DeviceGray");
  if (Number(Object.Dictionary, "/BitsPerComponent") != 8 || Object.Dictionary.contains("/DCT")) {
    Fail("a picture is not stored as 8-bit samples");
  }
  const int Channels = Grey ? 1 : 3;
  if (Object.Stream.size() < qsizetype{Width} * Height * Channels) {
    Fail("a picture has too few bytes");
  }
  QImage Picture(Width, Height, QImage::Format_RGB32);
  const auto* Bytes = reinterpret_cast<const uchar*>(Object.Stream.constData());
  for (int Y = 0; Y < Height; ++Y) {
    for (int X = 0; X < Width; ++X) {
      const uchar* Sample = Bytes + (qsizetype{Y} * Width + X) * Channels;
      Picture.setPixel(
          X, Y,
          Grey ? qRgb(Sample[0], Sample[0], Sample[0]) : qRgb(Sample[0], Sample[1], Sample[2]));
    }
  }
  return Picture;
}

}  // namespace

TPdfPages ReadPdfPages(const QString& Path) {
  QFile File(Path);
  if (!File.open(QIODevice::ReadOnly)) {
    Fail("cannot open " + Path.toStdString());
  }
  const QByteArray Bytes = File.readAll();
  if (!Bytes.startsWith("%PDF-")) {
    Fail("not a PDF file");
  }
  const std::map<int, TObject> Objects = ReadObjects(Bytes);
  TPdfPages Pages;
  const TObject* FirstPage = nullptr;
  for (const auto& [Number, Object] : Objects) {
    if (Object.Dictionary.contains("/Type /Page\n") || Object.Dictionary.contains("/Type /Page ")) {
      ++Pages.PageCount;
      if (FirstPage == nullptr) {
        FirstPage = &Object;
      }
    }
  }
  if (FirstPage == nullptr) {
    return Pages;
  }
  static const QRegularExpression Box(
      QStringLiteral("/MediaBox \\[\\s*[\\d.]+ [\\d.]+ ([\\d.]+) ([\\d.]+)\\s*\\]"));
  const QRegularExpressionMatch BoxMatch = Box.match(QString::fromLatin1(FirstPage->Dictionary));
  if (!BoxMatch.hasMatch()) {
    Fail("a page has no size");
  }
  Pages.PageSize = QSizeF(BoxMatch.captured(1).toDouble(), BoxMatch.captured(2).toDouble());

  const auto Find = [&Objects](int Number) -> const TObject& {
    const auto Found = Objects.find(Number);
    if (Found == Objects.end()) {
      Fail("object " + std::to_string(Number) + " is missing");
    }
    return Found->second;
  };
  const TObject& Content = Find(Reference(FirstPage->Dictionary, "/Contents"));
  const TObject& Resources = Find(Reference(FirstPage->Dictionary, "/Resources"));

  // The operators that place pictures: q, Q, cm and Do.
  std::vector<QTransform> Saved;
  QTransform Current;  // from the first matrix on: printer pixels
  bool BaseSeen = false;
  std::vector<double> Operands;
  QByteArray LastName;
  for (const QByteArray& Token : Content.Stream.simplified().split(' ')) {
    bool IsNumber = false;
    const double Value = Token.toDouble(&IsNumber);
    if (IsNumber) {
      Operands.push_back(Value);
      continue;
    }
    if (Token.startsWith('/')) {
      LastName = Token.mid(1);
    } else if (Token == "q") {
      Saved.push_back(Current);
    } else if (Token == "Q") {
      if (Saved.empty()) {
        Fail("unbalanced Q");
      }
      Current = Saved.back();
      Saved.pop_back();
    } else if (Token == "cm" && Operands.size() >= 6) {
      const auto* M = &Operands[Operands.size() - 6];
      if (BaseSeen) {
        Current = QTransform(M[0], M[1], M[2], M[3], M[4], M[5]) * Current;
      }
      BaseSeen = true;
    } else if (Token == "Do") {
      const QByteArray Key = "/" + LastName;
      TPdfPicture Picture;
      Picture.Place = Current.mapRect(QRectF(0, 0, 1, 1));
      Picture.Pixels = DecodePicture(Find(Reference(Resources.Dictionary, Key.constData())));
      Pages.Pictures.push_back(Picture);
    }
    Operands.clear();
  }
  return Pages;
}
