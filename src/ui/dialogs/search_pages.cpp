#include "ui/dialogs/search_pages.h"

#include <QDateTime>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/bridge/text.h"

namespace volumist::ui {
namespace {

using browse::SearchForm;

QComboBox* ComparisonList(QWidget* parent, const QString& name) {
  auto* list = new QComboBox(parent);
  for (std::string_view text : browse::kComparisonTexts) list->addItem(ToQString(text));
  list->setAccessibleName(name);
  return list;
}

QLineEdit* Field(QWidget* parent, const char* label, int maxLength) {
  auto* field = new QLineEdit(parent);
  field->setMaxLength(maxLength);
  field->setAccessibleName(QString::fromLatin1(label).remove(QLatin1Char(':')));
  return field;
}

QLabel* Label(const char* text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(QLatin1String(text), parent);
  label->setBuddy(buddy);
  return label;
}

// The picker shows local time; the criteria hold seconds since 1970 in UTC.
QDateTimeEdit* Picker(QWidget* parent, const QString& name) {
  auto* picker = new QDateTimeEdit(parent);
  picker->setCalendarPopup(true);
  picker->setDisplayFormat(QStringLiteral("dd.MM.yyyy HH:mm"));
  picker->setAccessibleName(name);
  picker->setEnabled(false);
  return picker;
}

void ShowTime(QDateTimeEdit* picker, CatalogTime time) { picker->setDateTime(QDateTime::fromSecsSinceEpoch(time.Value())); }

CatalogTime TimeOf(const QDateTimeEdit* picker) { return CatalogTime(picker->dateTime().toSecsSinceEpoch()); }

int IndexOf(Comparison comparison) { return static_cast<int>(comparison); }
Comparison ComparisonAt(const QComboBox* list) {
  return static_cast<Comparison>(std::clamp(list->currentIndex(), 0, static_cast<int>(browse::kComparisonTexts.size()) - 1));
}

}  // namespace

CPage_Search_SDDesr::CPage_Search_SDDesr(QWidget* parent) : QWidget(parent) {
  size_ = Field(this, browse::search_text::kSizeLabel, browse::kSizeTextMaxLength);
  sizeCompare_ = ComparisonList(this, QStringLiteral("Size comparison"));
  sizeUnit_ = new QComboBox(this);
  for (std::string_view unit : browse::kSizeUnitTexts) sizeUnit_->addItem(ToQString(unit));
  sizeUnit_->setAccessibleName(QStringLiteral("Size unit"));
  fromBox_ = new QCheckBox(QLatin1String(browse::search_text::kChangedFrom), this);
  from_ = Picker(this, QStringLiteral("Changed from"));
  toBox_ = new QCheckBox(QLatin1String(browse::search_text::kChangedTo), this);
  to_ = Picker(this, QStringLiteral("Changed to"));
  connect(fromBox_, &QCheckBox::toggled, from_, &QWidget::setEnabled);
  connect(toBox_, &QCheckBox::toggled, to_, &QWidget::setEnabled);
  description_ = Field(this, browse::search_text::kDescriptionLabel, static_cast<int>(kSearchDescriptionMaxLength));
  description_->setAccessibleName(QStringLiteral("Description"));
  auto* note = new QLabel(QLatin1String(browse::search_text::kDescriptionNote), this);
  note->setEnabled(false);
  reset_ = new QPushButton(QLatin1String(browse::search_text::kResetButton), this);
  reset_->setAccessibleName(QStringLiteral("Reset size, time and description"));

  auto* grid = new QGridLayout(this);
  grid->addWidget(Label(browse::search_text::kSizeLabel, size_, this), 0, 0);
  auto* sizeRow = new QHBoxLayout();
  sizeRow->addWidget(size_, 1);
  sizeRow->addWidget(sizeCompare_);
  sizeRow->addWidget(sizeUnit_);
  grid->addLayout(sizeRow, 0, 1, 1, 2);
  grid->addWidget(new QLabel(QLatin1String(browse::search_text::kDateLabel), this), 1, 0);
  grid->addWidget(fromBox_, 1, 1);
  grid->addWidget(from_, 1, 2);
  grid->addWidget(toBox_, 2, 1);
  grid->addWidget(to_, 2, 2);
  grid->addWidget(Label(browse::search_text::kDescriptionLabel, description_, this), 3, 0);
  grid->addWidget(description_, 3, 1, 1, 2);
  auto* bottom = new QHBoxLayout();
  bottom->addWidget(note, 1);
  bottom->addWidget(reset_);
  grid->addLayout(bottom, 4, 0, 1, 3);
  grid->setColumnStretch(2, 1);
  grid->setRowStretch(5, 1);
}

void CPage_Search_SDDesr::Show(const SearchForm& form) {
  size_->setText(ToQString(form.size));
  sizeCompare_->setCurrentIndex(IndexOf(form.sizeCompare));
  sizeUnit_->setCurrentIndex(static_cast<int>(form.sizeUnit));
  fromBox_->setChecked(form.fromChecked);
  ShowTime(from_, form.fromTime);
  toBox_->setChecked(form.toChecked);
  ShowTime(to_, form.toTime);
  from_->setEnabled(form.fromChecked);
  to_->setEnabled(form.toChecked);
  description_->setText(ToQString(form.description));
}

void CPage_Search_SDDesr::Read(SearchForm& form) const {
  form.size = ToBytes(size_->text());
  form.sizeCompare = ComparisonAt(sizeCompare_);
  form.sizeUnit = static_cast<volumist::SizeUnit>(std::clamp(sizeUnit_->currentIndex(), 0, 3));
  form.fromChecked = fromBox_->isChecked();
  form.fromTime = TimeOf(from_);
  form.toChecked = toBox_->isChecked();
  form.toTime = TimeOf(to_);
  form.description = ToBytes(description_->text());
}

CPage_Search_Audio::CPage_Search_Audio(QWidget* parent) : QWidget(parent) {
  title_ = Field(this, browse::search_text::kTitleLabel, 255);
  artist_ = Field(this, browse::search_text::kArtistLabel, 255);
  album_ = Field(this, browse::search_text::kAlbumLabel, 255);
  comment_ = Field(this, browse::search_text::kCommentLabel, 255);
  sequences_ = new QCheckBox(QLatin1String(browse::search_text::kTrySequences), this);
  bitrateCompare_ = ComparisonList(this, QStringLiteral("Bitrate comparison"));
  bitrate_ = new QComboBox(this);
  for (int i = 0; i < browse::kBitrateCount; ++i) bitrate_->addItem(ToQString(browse::BitrateText(i)));
  bitrate_->setAccessibleName(QStringLiteral("Bitrate"));
  reset_ = new QPushButton(QLatin1String(browse::search_text::kResetButton), this);
  reset_->setAccessibleName(QStringLiteral("Reset audio"));

  auto* grid = new QGridLayout(this);
  grid->addWidget(Label(browse::search_text::kTitleLabel, title_, this), 0, 0);
  grid->addWidget(title_, 0, 1);
  grid->addWidget(Label(browse::search_text::kArtistLabel, artist_, this), 0, 2);
  grid->addWidget(artist_, 0, 3);
  grid->addWidget(Label(browse::search_text::kAlbumLabel, album_, this), 1, 0);
  grid->addWidget(album_, 1, 1);
  grid->addWidget(Label(browse::search_text::kCommentLabel, comment_, this), 1, 2);
  grid->addWidget(comment_, 1, 3);
  grid->addWidget(sequences_, 2, 0, 1, 4);
  grid->addWidget(Label(browse::search_text::kBitrateLabel, bitrate_, this), 3, 0);
  auto* bitrateRow = new QHBoxLayout();
  bitrateRow->addWidget(bitrateCompare_);
  bitrateRow->addWidget(bitrate_);
  bitrateRow->addStretch(1);
  bitrateRow->addWidget(reset_);
  grid->addLayout(bitrateRow, 3, 1, 1, 3);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  grid->setRowStretch(4, 1);
}

void CPage_Search_Audio::Show(const SearchForm& form) {
  title_->setText(ToQString(form.title));
  artist_->setText(ToQString(form.artist));
  album_->setText(ToQString(form.album));
  comment_->setText(ToQString(form.comment));
  sequences_->setChecked(form.trySequences);
  bitrateCompare_->setCurrentIndex(IndexOf(form.bitrateCompare));
  bitrate_->setCurrentIndex(form.bitrateIndex);
}

void CPage_Search_Audio::Read(SearchForm& form) const {
  form.title = ToBytes(title_->text());
  form.artist = ToBytes(artist_->text());
  form.album = ToBytes(album_->text());
  form.comment = ToBytes(comment_->text());
  form.trySequences = sequences_->isChecked();
  form.bitrateCompare = ComparisonAt(bitrateCompare_);
  form.bitrateIndex = std::max(0, bitrate_->currentIndex());
}

CPage_Search_Signatures::CPage_Search_Signatures(QWidget* parent) : QWidget(parent) {
  crc32_ = Field(this, browse::search_text::kCrc32Label, 8);
  md4_ = Field(this, browse::search_text::kMd4Label, 32);
  md5_ = Field(this, browse::search_text::kMd5Label, 32);
  // Hexadecimal digests: a fixed-width font shows them in columns.
  QFont digits = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  for (QLineEdit* field : {crc32_, md4_, md5_}) field->setFont(digits);
  auto* note = new QLabel(QLatin1String(browse::search_text::kSignaturesNote), this);
  note->setEnabled(false);
  note->setWordWrap(true);
  reset_ = new QPushButton(QLatin1String(browse::search_text::kResetButton), this);
  reset_->setAccessibleName(QStringLiteral("Reset signatures"));

  auto* grid = new QGridLayout(this);
  grid->addWidget(Label(browse::search_text::kCrc32Label, crc32_, this), 0, 0);
  grid->addWidget(crc32_, 0, 1);
  grid->addWidget(Label(browse::search_text::kMd4Label, md4_, this), 1, 0);
  grid->addWidget(md4_, 1, 1);
  grid->addWidget(Label(browse::search_text::kMd5Label, md5_, this), 2, 0);
  grid->addWidget(md5_, 2, 1);
  auto* bottom = new QHBoxLayout();
  bottom->addWidget(note, 1);
  bottom->addWidget(reset_);
  grid->addLayout(bottom, 3, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(4, 1);
}

void CPage_Search_Signatures::Show(const SearchForm& form) {
  crc32_->setText(ToQString(form.crc32));
  md4_->setText(ToQString(form.md4));
  md5_->setText(ToQString(form.md5));
}

void CPage_Search_Signatures::Read(SearchForm& form) const {
  form.crc32 = ToBytes(crc32_->text().trimmed());
  form.md4 = ToBytes(md4_->text().trimmed());
  form.md5 = ToBytes(md5_->text().trimmed());
}

}  // namespace volumist::ui
