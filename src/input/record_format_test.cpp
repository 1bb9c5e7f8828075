#include "input/record_format.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace korvelin {
namespace {

class Lines : public LineSource {
 public:
  Lines(std::initializer_list<std::string> lines) : lines_(lines) {}
  bool next(std::string& line) override {
    if (used_ == lines_.size()) return false;
    line = lines_[used_++];
    return true;
  }
  std::size_t used() const { return used_; }

 private:
  std::vector<std::string> lines_;
  std::size_t used_ = 0;
};

ReadStatus readWith(std::string_view format, Lines& src, int count, std::vector<int>& values) {
  auto f = RecordFormat::parse(format);
  if (!f) {
    ADD_FAILURE() << "format rejected: " << format;
    return ReadStatus::Error;
  }
  return f->read(src, count, values);
}

std::vector<int> readOk(std::string_view format, Lines src, int count) {
  std::vector<int> values;
  EXPECT_EQ(readWith(format, src, count, values), ReadStatus::Ok) << format;
  return values;
}

ReadStatus readStatus(std::string_view format, Lines src, int count) {
  std::vector<int> values;
  return readWith(format, src, count, values);
}

std::vector<std::string> written(std::string_view format, const std::vector<int>& values) {
  auto f = RecordFormat::parse(format);
  if (!f) {
    ADD_FAILURE() << "format rejected: " << format;
    return {};
  }
  return f->write(values);
}

using Strings = std::vector<std::string>;
using Ints = std::vector<int>;

TEST(RecordFormatParse, AcceptsFortranStyleFormats) {
  for (const char* text : {"(22I1)", "(2X,3I2)", "(2(5I1,1X),1I1)", "(4i1)", "(I3.2)", "( 2 ( 3 I 1 ) )",
                           "(T5,TL2,TR1,X,2/,I1)", "(3Habc'd''e')", "()", "(I1) trailing ) (",
                           "(1h ,(22I1)      )"}) {
    EXPECT_NE(RecordFormat::parse(text), nullptr) << text;
  }
}

TEST(RecordFormatParse, RejectsMalformedFormats) {
  for (const char* text : {"", "I1", "x(I1)", "(F5.2)", "(A1)", "(E10.3)", "(22I1", "((I1)", "(I)", "(I0)",
                           "(0I1)", "(I1.)", "(2)", "(5Habc)", "(H)", "(T)", "(T0)", "(2T5)", "('abc)",
                           "(99999999I1)", "(4096(4096(4096X)))"}) {
    EXPECT_EQ(RecordFormat::parse(text), nullptr) << text;
  }
}

TEST(RecordFormatRead, RevertsToTheStartOnFollowingLines) {
  Lines src{"10110", "01001", "11111"};
  auto f = RecordFormat::parse("(5I1)");
  ASSERT_NE(f, nullptr);
  std::vector<int> values;
  ASSERT_EQ(f->read(src, 10, values), ReadStatus::Ok);
  EXPECT_EQ(values, (Ints{1, 0, 1, 1, 0, 0, 1, 0, 0, 1}));
  EXPECT_EQ(src.used(), 2u);
  // The next read starts on a fresh line.
  ASSERT_EQ(f->read(src, 1, values), ReadStatus::Ok);
  EXPECT_EQ(values, Ints{1});

  EXPECT_EQ(readOk("(4I1)", {"1010", "01"}, 6), (Ints{1, 0, 1, 0, 0, 1}));
}

TEST(RecordFormatRead, BlanksAndSignsInFields) {
  EXPECT_EQ(readOk("(5I1)", {"1 1"}, 5), (Ints{1, 0, 1, 0, 0}));
  EXPECT_EQ(readOk("(3I3)", {"1 0  1   "}, 3), (Ints{10, 1, 0}));
  EXPECT_EQ(readOk("(I3)", {""}, 1), Ints{0});
  EXPECT_EQ(readOk("(4I3)", {" -1+2 - 3 +0"}, 4), (Ints{-1, 2, -3, 0}));
  EXPECT_EQ(readOk("(2I11)", {"-2147483648 2147483647"}, 2), (Ints{-2147483648, 2147483647}));
}

TEST(RecordFormatRead, PositioningDescriptors) {
  EXPECT_EQ(readOk("(2X,3I2)", {"xx 1 0 1"}, 3), (Ints{1, 0, 1}));
  EXPECT_EQ(readOk("(T5,I1,TL3,I1,TR2,I1)", {"9876543"}, 3), (Ints{5, 7, 4}));
  EXPECT_EQ(readOk("(I2,TL5,I1)", {"34"}, 2), (Ints{34, 3}));
  EXPECT_EQ(readOk("(3Hxyz,I1)", {"abc7"}, 1), Ints{7});
  EXPECT_EQ(readOk("(2I1/2I1)", {"12", "34"}, 4), (Ints{1, 2, 3, 4}));
  EXPECT_EQ(readOk("(I1,2/I1)", {"1", "x", "2"}, 2), (Ints{1, 2}));
  EXPECT_EQ(readOk("(t2,i1,tl1,i1,tr1,i1)", {"x5 6"}, 3), (Ints{5, 5, 6}));
}

TEST(RecordFormatRead, NestedGroupsAndReversionToLastTopLevelGroup) {
  EXPECT_EQ(readOk("(2(5I1,1X),1I1)", {"00110 11000 0"}, 11), (Ints{0, 0, 1, 1, 0, 1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(readOk("(2(2(I1,1X),I1))", {"1 2 34 5 6"}, 6), (Ints{1, 2, 3, 4, 5, 6}));
  // The 1X is not repeated, the group's repeat count is.
  EXPECT_EQ(readOk("(1X,2(2I1))", {"x1234", "5678", "9"}, 9), (Ints{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  // Restarts at the whole top-level group, not its inner one, and goes on past it.
  EXPECT_EQ(readOk("(I1,2(1X,(I1)),I2)", {"1 2 345", " 6 789"}, 7), (Ints{1, 2, 3, 45, 6, 7, 89}));
}

TEST(RecordFormatRead, Errors) {
  EXPECT_EQ(readStatus("(3I1)", {"1a0"}, 3), ReadStatus::Error);
  EXPECT_EQ(readStatus("(3I1)", {"1.0"}, 3), ReadStatus::Error);
  EXPECT_EQ(readStatus("(I2)", {"1-"}, 1), ReadStatus::Error);
  EXPECT_EQ(readStatus("(I2)", {" -"}, 1), ReadStatus::Error);
  EXPECT_EQ(readStatus("(I10)", {"2147483648"}, 1), ReadStatus::Error);
  EXPECT_EQ(readStatus("(I11)", {"-2147483649"}, 1), ReadStatus::Error);
  // Without an integer field to come back to, reversion would never end.
  EXPECT_EQ(readStatus("(1X)", {"1", "1"}, 1), ReadStatus::Error);
  EXPECT_EQ(readStatus("()", {"1"}, 1), ReadStatus::Error);
  EXPECT_EQ(readStatus("(I1,(1X))", {"1", "2"}, 2), ReadStatus::Error);
  EXPECT_EQ(readOk("()", {""}, 0), Ints{});
}

TEST(RecordFormatRead, EndOfFile) {
  EXPECT_EQ(readStatus("(5I1)", {}, 5), ReadStatus::EndOfFile);
  EXPECT_EQ(readStatus("(5I1)", {"10110"}, 6), ReadStatus::EndOfFile);
  EXPECT_EQ(readStatus("(I1/I1)", {"1"}, 2), ReadStatus::EndOfFile);
}

TEST(RecordFormatWrite, EchoesPatterns) {
  EXPECT_EQ(written("(1h ,(4I1))", {1, 0, 1, 0, 0, 1}), (Strings{" 1010", "01"}));
  EXPECT_EQ(written("(1h ,(2X,3I2))", {1, 0, 0}), Strings{"    1 0 0"});
  EXPECT_EQ(written("(1h ,(2(5I1,1X),1I1))", {0, 0, 1, 1, 0, 1, 1, 0, 0, 0, 0}), Strings{" 00110 11000 0"});
  EXPECT_EQ(written("(1h ,(4I1,1X,5I1))", {1, 1, 0, 1, 0, 1, 0, 0, 1}), Strings{" 1101 01001"});
  const std::string line2 = "(5I1)" + std::string(65, ' ');
  EXPECT_EQ(written("(1h ," + line2 + ")", {1, 0, 1, 1, 0}), Strings{" 10110"});
  EXPECT_EQ(written("(1H ,2(2i1))", {1, 2, 3, 4, 5, 6}), (Strings{" 1234", "56"}));
}

TEST(RecordFormatWrite, StopsAtTheNextFieldWithoutValue) {
  EXPECT_EQ(written("(I1,3H ab,I1)", {1}), Strings{"1 ab"});
  EXPECT_EQ(written("(I1,1H|,I1,1H|)", {1}), Strings{"1|"});
  EXPECT_EQ(written("(1h ,(4I1))", {}), Strings{" "});
  EXPECT_EQ(written("(I1,/)", {1}), (Strings{"1", ""}));
  EXPECT_EQ(written("(I1/I1)", {1, 2}), (Strings{"1", "2"}));
  EXPECT_EQ(written("(2I1)", {1, 2, 3, 4, 5}), (Strings{"12", "34", "5"}));
  EXPECT_EQ(written("(I1,(1X))", {1, 2}), Strings{"1"});
}

TEST(RecordFormatWrite, FieldsAndPositions) {
  struct Case {
    const char* format;
    Ints values;
    std::string line;
  };
  for (const Case& c : std::vector<Case>{{"(I2)", {100}, "**"},
                                         {"(I2)", {-10}, "**"},
                                         {"(I2)", {-5}, "-5"},
                                         {"(I11)", {-2147483648}, "-2147483648"},
                                         {"(I4.3)", {7}, " 007"},
                                         {"(I4.3)", {-7}, "-007"},
                                         {"(I3.0)", {0}, "   "},
                                         {"(2I1,3X)", {1, 2}, "12"},
                                         {"(I1,3X,1H|)", {1}, "1   |"},
                                         {"(I3,TL2,I1)", {123, 4}, "143"},
                                         {"(T4,I1,T1,I1)", {1, 2}, "2  1"},
                                         {"('x''y',I1)", {1}, "x'y1"}}) {
    EXPECT_EQ(written(c.format, c.values), Strings{c.line}) << c.format;
  }
}

}  // namespace
}  // namespace korvelin
