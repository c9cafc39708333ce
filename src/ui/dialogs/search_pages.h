// The three criteria pages of the search dialog. They hold the controls and map them to and from
// the dialog's form (browse::SearchForm); the dialog (search_dialog.h) does the rest.
//
// CPage_Search_SDDesr:                       CPage_Search_Audio:
//   Size: [        ] [<= v] [Bytes v]          Title:   [          ]  Artist: [          ]
//   Date: [ ] Changed from: [01.01.2010 00:00]  Album:   [          ]  Comment:[          ]
//         [ ] Changed to:   [01.01.2010 00:00]  [ ] Try find sequences in filenames.
//   Descr-on: [                        ]        Bitrate: [<= v] [None v]
//   (Must be enabled Get descriptions) [Reset]                               [Reset]
//
// CPage_Search_Signatures:
//   CRC-32: [        ]  MD4: [                    ]  MD5: [                    ]
//   You can seach by signatures only if they are scanned in the volume.     [Reset]
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "browse/search_dialog_rules.h"

namespace volumist::ui {

class CPage_Search_SDDesr final : public QWidget {
  Q_OBJECT

 public:
  explicit CPage_Search_SDDesr(QWidget* parent = nullptr);
  void Show(const browse::SearchForm& form);
  void Read(browse::SearchForm& form) const;

  QLineEdit* SizeField() const { return size_; }
  QComboBox* SizeComparison() const { return sizeCompare_; }
  QComboBox* SizeUnit() const { return sizeUnit_; }
  QCheckBox* FromBox() const { return fromBox_; }
  QDateTimeEdit* FromPicker() const { return from_; }
  QCheckBox* ToBox() const { return toBox_; }
  QDateTimeEdit* ToPicker() const { return to_; }
  QLineEdit* DescriptionField() const { return description_; }
  QPushButton* ResetButton() const { return reset_; }

 private:
  QLineEdit* size_;
  QComboBox* sizeCompare_;
  QComboBox* sizeUnit_;
  QCheckBox* fromBox_;
  QDateTimeEdit* from_;
  QCheckBox* toBox_;
  QDateTimeEdit* to_;
  QLineEdit* description_;
  QPushButton* reset_;
};

class CPage_Search_Audio final : public QWidget {
  Q_OBJECT

 public:
  explicit CPage_Search_Audio(QWidget* parent = nullptr);
  void Show(const browse::SearchForm& form);
  void Read(browse::SearchForm& form) const;

  QLineEdit* TitleField() const { return title_; }
  QLineEdit* ArtistField() const { return artist_; }
  QLineEdit* AlbumField() const { return album_; }
  QLineEdit* CommentField() const { return comment_; }
  QCheckBox* SequencesBox() const { return sequences_; }
  QComboBox* BitrateComparison() const { return bitrateCompare_; }
  QComboBox* Bitrate() const { return bitrate_; }
  QPushButton* ResetButton() const { return reset_; }

 private:
  QLineEdit* title_;
  QLineEdit* artist_;
  QLineEdit* album_;
  QLineEdit* comment_;
  QCheckBox* sequences_;
  QComboBox* bitrateCompare_;
  QComboBox* bitrate_;
  QPushButton* reset_;
};

class CPage_Search_Signatures final : public QWidget {
  Q_OBJECT

 public:
  explicit CPage_Search_Signatures(QWidget* parent = nullptr);
  void Show(const browse::SearchForm& form);
  void Read(browse::SearchForm& form) const;

  QLineEdit* Crc32Field() const { return crc32_; }
  QLineEdit* Md4Field() const { return md4_; }
  QLineEdit* Md5Field() const { return md5_; }
  QPushButton* ResetButton() const { return reset_; }

 private:
  QLineEdit* crc32_;
  QLineEdit* md4_;
  QLineEdit* md5_;
  QPushButton* reset_;
};

}  // namespace volumist::ui
