#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "FrameBytes.h"
#include "cObjectAInput.h"
#include "cObjectDInput.h"
#include "cObjectDOutput.h"
#include "cObjectFrame.h"

namespace {

using Result = cObjectFrame::eResult;

Result decode(const std::string& bytes, cObjectFrame& frame, std::size_t& consumed) {
    return frame.decode(bytes.data(), bytes.size(), consumed);
}

TEST(ObjectFrame, EveryObjectTypeSurvivesARoundTrip) {
    cObjectDInput di;
    di.setPortLabel("DI1 \xc3\xa9");  // UTF-8 passes untouched
    di.setDeviceSerial(0xFFFFFFFFU);
    di.setPortId(7);
    di.setPortStatus(cObject::STATUS_ALARM_SET);
    cObjectAInput ai;
    ai.setPortLabel("AI1");
    ai.setDeviceSerial(0xa1);
    ai.setPortStatus(cObject::STATUS_ALARM_CLEAR);
    ai.setCalculatedValue(-12.25F);
    cObjectDOutput out;
    out.setPortLabel("DO1");
    out.setDeviceSerial(0xa1);
    out.setPortId(3);
    out.setOutputState(cObject::IOSTATE_HIGH);
    out.setDefaultState(cObject::IOSTATE_LOW);
    cObject unknown(42);

    cObjectFrame sent;
    sent.getList().setMsgType(cObjectFrame::MSG_READ);
    sent.getList().add(&di);
    sent.getList().add(&ai);
    sent.getList().add(&out);
    sent.getList().add(&unknown);
    std::string bytes;
    ASSERT_TRUE(sent.encode(bytes));

    cObjectFrame got;
    std::size_t consumed = 0;
    ASSERT_EQ(decode(bytes, got, consumed), Result::COMPLETE);
    EXPECT_EQ(consumed, bytes.size());
    cObjectList& list = got.getList();
    EXPECT_EQ(list.getMsgType(), cObjectFrame::MSG_READ);
    ASSERT_EQ(list.numObjects(), 4);

    auto* gotDi = dynamic_cast<cObjectDInput*>(list.at(0));
    ASSERT_NE(gotDi, nullptr);
    EXPECT_STREQ(gotDi->getPortLabel(), "DI1 \xc3\xa9");
    EXPECT_EQ(gotDi->getDeviceSerial(), 0xFFFFFFFFU);
    EXPECT_EQ(gotDi->getPortId(), 7U);
    EXPECT_EQ(gotDi->getPortStatus(), cObject::STATUS_ALARM_SET);

    auto* gotAi = dynamic_cast<cObjectAInput*>(list.at(1));
    ASSERT_NE(gotAi, nullptr);
    EXPECT_STREQ(gotAi->getPortLabel(), "AI1");
    EXPECT_EQ(gotAi->getPortStatus(), cObject::STATUS_ALARM_CLEAR);
    EXPECT_FLOAT_EQ(gotAi->getCalculatedValue(), -12.25F);

    auto* gotOut = dynamic_cast<cObjectDOutput*>(list.at(2));
    ASSERT_NE(gotOut, nullptr);
    EXPECT_EQ(gotOut->getDeviceSerial(), 0xa1U);
    EXPECT_EQ(gotOut->getPortId(), 3U);
    EXPECT_EQ(gotOut->getOutputState(), cObject::IOSTATE_HIGH);
    EXPECT_EQ(gotOut->getDefaultState(), cObject::IOSTATE_LOW);

    // An unknown type is kept as a bare object with its code, for the reader to skip.
    EXPECT_EQ(list.at(3)->getType(), 42);
    EXPECT_EQ(dynamic_cast<cObjectPort*>(list.at(3)), nullptr);
}

TEST(ObjectFrame, AcknowledgementAndErrorTextSurvive) {
    cObjectFrame ack;
    ack.getList().setMsgType(cObjectFrame::MSG_WRITE);
    ack.setApplied(true);
    cObjectFrame refusal;
    refusal.getList().setMsgType(cObjectFrame::MSG_ERROR);
    refusal.setError("no such thing");
    std::string first;
    std::string second;
    ASSERT_TRUE(ack.encode(first));
    ASSERT_TRUE(refusal.encode(second));

    // Two frames back to back decode one at a time.
    const std::string stream = first + second;
    cObjectFrame got;
    std::size_t consumed = 0;
    ASSERT_EQ(decode(stream, got, consumed), Result::COMPLETE);
    EXPECT_TRUE(got.getApplied());
    EXPECT_EQ(got.getList().getMsgType(), cObjectFrame::MSG_WRITE);
    ASSERT_EQ(got.decode(stream.data() + consumed, stream.size() - consumed, consumed),
              Result::COMPLETE);
    EXPECT_FALSE(got.getApplied());
    EXPECT_EQ(got.getError(), "no such thing");
}

TEST(ObjectFrame, RefusesToEncodeAMessageOverTheLimit) {
    cObjectDInput big;
    big.setPortLabel(std::string(cObjectFrame::MAX_PAYLOAD, 'x').c_str());
    cObjectFrame frame;
    frame.getList().setMsgType(cObjectFrame::MSG_READ);
    frame.getList().add(&big);
    std::string bytes;
    std::string why;
    EXPECT_FALSE(frame.encode(bytes, &why));
    EXPECT_NE(why.find("exceeds"), std::string::npos);
}

// A payload whose reading runs out of memory after its first bytes, as an
// allocation anywhere in the parser may.
class ExhaustingPayload : public std::streambuf {
public:
    ExhaustingPayload() { setg(&start[0], &start[0], &start[0] + start.size()); }

protected:
    int_type underflow() override { throw std::bad_alloc(); }

private:
    std::string start = R"({"version":1,)";
};

TEST(ObjectFrame, RunningOutOfMemoryIsNoFaultOfThePeer) {
    ExhaustingPayload buffer;
    std::istream payload(&buffer);
    cObjectFrame frame;
    cObjectDInput leftover;
    frame.getList().add(&leftover);
    EXPECT_THROW(frame.decodePayload(payload), std::bad_alloc);
    EXPECT_EQ(frame.getList().numObjects(), 0);
}

struct MalformedCase {
    const char* name;
    std::string bytes;
    Result expected;
};

void PrintTo(const MalformedCase& test, std::ostream* os) {
    *os << test.name;
}

std::string document(const std::string& objects, const std::string& extra = "") {
    return frameOf(R"({"version":1,"msgtype":1,"objects":)" + objects + extra + "}");
}

const std::string DI = R"("type":2,"label":"DI1","serial":161,"port":0)";

// What the reader skips and what it keeps, as parsing the document whole would.
TEST(ObjectFrame, SkipsUnknownMembersAndKeepsTheRequestNumber) {
    const std::string bytes =
        document(R"([{"later":{"a":1},"type":2,"label":"DI1","serial":161,"port":0,"status":2,)"
                 R"("note":"x","status":1},{"type":9,"label":{"any":"thing"}}])",
                 R"(,"id":4294967295,"future":[{"x":1}],"msgtype":2,"applied":true)");
    cObjectFrame frame;
    std::size_t consumed = 0;
    std::string why;
    ASSERT_EQ(frame.decode(bytes.data(), bytes.size(), consumed, &why), Result::COMPLETE) << why;
    EXPECT_EQ(frame.getRequestId(), 4294967295U);
    EXPECT_EQ(frame.getList().getMsgType(), cObjectFrame::MSG_WRITE);  // the later duplicate
    EXPECT_TRUE(frame.getApplied());
    ASSERT_EQ(frame.getList().numObjects(), 2);
    auto* di = dynamic_cast<cObjectDInput*>(frame.getList().at(0));
    ASSERT_NE(di, nullptr);
    EXPECT_EQ(di->getPortStatus(), cObject::STATUS_ALARM_SET);
    EXPECT_EQ(frame.getList().at(1)->getType(), 9);

    // A frame without a number decodes without one; encoding repeats one.
    cObjectFrame plain;
    const std::string unnumbered = document("[]");
    ASSERT_EQ(plain.decode(unnumbered.data(), unnumbered.size(), consumed), Result::COMPLETE);
    EXPECT_FALSE(plain.getRequestId().has_value());
    plain.setRequestId(7);
    std::string encoded;
    ASSERT_TRUE(plain.encode(encoded));
    EXPECT_NE(encoded.find(R"("id":7)"), std::string::npos);
}

// Codes no rule names and readings beyond single precision are the rules'
// to judge, not the decoder's to refuse.
TEST(ObjectFrame, PassesEveryCodeAndReadingItCanHold) {
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* members;  // of an analog input, after its name and port
        int status;
        float value;
    } inputs[] = {
        {R"("status":3,"value":1e39)", 3, inf},
        {R"("status":-1,"value":-1e39)", -1, -inf},
        {R"("status":2147483647,"value":3.4e38)", 2147483647, 3.4e38F},
        {R"("status":-2147483648,"value":-3.4e38)", -2147483647 - 1, -3.4e38F},
        {R"("status":0,"value":18446744073709551615)", 0, 1.8446744e19F},
        {R"("status":0,"value":1e-300)", 0, 0.0F},
    };
    for (const auto& c : inputs) {
        const std::string bytes = document(
            std::string(R"([{"type":4,"label":"AI1","serial":161,"port":0,)") + c.members + "}]");
        cObjectFrame frame;
        std::size_t consumed = 0;
        std::string why;
        ASSERT_EQ(frame.decode(bytes.data(), bytes.size(), consumed, &why), Result::COMPLETE)
            << c.members << ": " << why;
        const auto& input = dynamic_cast<const cObjectAInput&>(*frame.getList().at(0));
        EXPECT_EQ(input.getPortStatus(), c.status) << c.members;
        EXPECT_EQ(input.getCalculatedValue(), c.value) << c.members;
    }

    const std::string bytes = document(
        R"([{"type":3,"label":"DO1","serial":161,"port":3,"status":0,"output":7,"default":5}])");
    cObjectFrame frame;
    std::size_t consumed = 0;
    ASSERT_EQ(decode(bytes, frame, consumed), Result::COMPLETE);
    const auto& output = dynamic_cast<const cObjectDOutput&>(*frame.getList().at(0));
    EXPECT_EQ(output.getOutputState(), 7);
    EXPECT_EQ(output.getDefaultState(), 5);
}

// A read request names its ports and nothing else, so no reading, however
// odd, can spoil it; a write carries its object whole.
TEST(ObjectFrame, ARequestToReadCarriesNamesOnly) {
    cObjectDInput di;
    di.setPortLabel("DI1");
    di.setDeviceSerial(0xa1);
    di.setPortStatus(cObject::STATUS_ALARM_SET);
    cObjectAInput ai;
    ai.setPortLabel("AI1");
    ai.setDeviceSerial(0xa1);
    ai.setPortId(4);
    ai.setCalculatedValue(std::numeric_limits<float>::infinity());
    cObjectDOutput out;
    out.setPortLabel("DO1");
    out.setDeviceSerial(0xa1);
    out.setPortId(3);
    out.setOutputState(cObject::IOSTATE_HIGH);
    cObjectFrame request(cObjectFrame::eKind::REQUEST);
    request.getList().setMsgType(cObjectFrame::MSG_READ);
    request.getList().add(&di);
    request.getList().add(&ai);
    request.getList().add(&out);
    std::string bytes;
    ASSERT_TRUE(request.encode(bytes));
    EXPECT_EQ(bytes.substr(cObjectFrame::HEADER_SIZE),
              R"({"msgtype":1,"objects":[{"label":"DI1","serial":161,"type":2},)"
              R"({"label":"AI1","serial":161,"type":4},{"label":"DO1","serial":161,"type":3}],)"
              R"("version":1})");

    request.getList().clear();
    request.getList().setMsgType(cObjectFrame::MSG_WRITE);
    request.getList().add(&out);
    ASSERT_TRUE(request.encode(bytes));
    EXPECT_NE(bytes.find(R"("output":1)"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find(R"("port":3)"), std::string::npos) << bytes;
}

struct RequestCase {
    const char* name;
    std::string payload;
    Result expected;
};

void PrintTo(const RequestCase& test, std::ostream* os) {
    *os << test.name;
}

class ObjectFrameRequest : public ::testing::TestWithParam<RequestCase> {};

// The service's side: names suffice in a read, whichever member comes first.
TEST_P(ObjectFrameRequest, IsTakenAsItsMessageTypeAllows) {
    const RequestCase& test = GetParam();
    cObjectFrame frame(cObjectFrame::eKind::REQUEST);
    std::string why;
    EXPECT_EQ(frame.decodePayload(test.payload.data(), test.payload.size(), &why), test.expected)
        << why;
    if (test.expected == Result::COMPLETE) {
        ASSERT_EQ(frame.getList().numObjects(), 1);
        const auto* port = dynamic_cast<const cObjectPort*>(frame.getList().at(0));
        ASSERT_NE(port, nullptr);
        EXPECT_STREQ(port->getPortLabel(), "DO1");
        EXPECT_EQ(port->getDeviceSerial(), 161U);
    }
}

const std::string DO1_NAME = R"({"type":3,"label":"DO1","serial":161})";
const std::string DO1_WHOLE =
    R"({"type":3,"label":"DO1","serial":161,"port":3,"status":0,"output":1,"default":0})";

INSTANTIATE_TEST_SUITE_P(
    Requests, ObjectFrameRequest,
    ::testing::Values(
        RequestCase{"ReadByName", R"({"version":1,"msgtype":1,"objects":[)" + DO1_NAME + "]}",
                    Result::COMPLETE},
        RequestCase{"ReadByNameTypeLast",
                    R"({"version":1,"objects":[)" + DO1_NAME + R"(],"msgtype":1})",
                    Result::COMPLETE},
        // What an older client sent: readings are not looked at.
        RequestCase{"ReadWithANullReading",
                    R"({"version":1,"msgtype":1,"objects":[{"type":4,"label":"DO1",)"
                    R"("serial":161,"port":0,"status":0,"value":null}]})",
                    Result::COMPLETE},
        RequestCase{"ReadNameNotText",
                    R"({"version":1,"msgtype":1,"objects":[{"type":3,"label":3,"serial":1}]})",
                    Result::MALFORMED},
        RequestCase{"ReadWithoutSerial",
                    R"({"version":1,"msgtype":1,"objects":[{"type":3,"label":"DO1"}]})",
                    Result::MALFORMED},
        RequestCase{"WriteWhole", R"({"version":1,"msgtype":2,"objects":[)" + DO1_WHOLE + "]}",
                    Result::COMPLETE},
        RequestCase{"WriteByName", R"({"version":1,"msgtype":2,"objects":[)" + DO1_NAME + "]}",
                    Result::MALFORMED},
        RequestCase{"WriteByNameTypeLast",
                    R"({"version":1,"objects":[)" + DO1_NAME + R"(],"msgtype":2})",
                    Result::MALFORMED}),
    [](const ::testing::TestParamInfo<RequestCase>& info) { return info.param.name; });

struct WalkCase {
    const char* name;
    std::vector<int> types;  // type codes in answer order
};

void PrintTo(const WalkCase& test, std::ostream* os) {
    *os << test.name;
}

std::vector<int> cycle(std::vector<int> codes, std::size_t length) {
    std::vector<int> types;
    for (std::size_t i = 0; i < length; ++i) {
        types.push_back(codes[i % codes.size()]);
    }
    return types;
}

class ObjectFrameWalk : public ::testing::TestWithParam<WalkCase> {};

// Objects of unknown type are kept compactly, some of them shared; each one
// handed out must still tell its own type at the end of the walk, also when
// the frame is used again.
TEST_P(ObjectFrameWalk, EveryObjectKeepsItsTypeAndPlace) {
    const std::vector<int>& types = GetParam().types;
    std::string entries;
    for (const int type : types) {
        entries += entries.empty() ? "[" : ",";
        entries += type == cObject::TYPE_DIGITAL_INPUT ? "{" + DI + R"(,"status":1})"
                                                       : R"({"type":)" + std::to_string(type) + "}";
    }
    const std::string bytes = document(entries + "]");
    cObjectFrame frame;
    for (int use = 1; use <= 2; ++use) {
        std::size_t consumed = 0;
        ASSERT_EQ(decode(bytes, frame, consumed), Result::COMPLETE);
        cObjectList& list = frame.getList();
        ASSERT_EQ(list.numObjects(), static_cast<int>(types.size()));

        std::vector<cObject*> walked;
        for (cObject* object = list.first(); object != nullptr; object = list.next()) {
            walked.push_back(object);
        }
        ASSERT_EQ(walked.size(), types.size());
        for (std::size_t i = 0; i < types.size(); ++i) {
            EXPECT_EQ(walked[i]->getType(), types[i]) << "use " << use << ", object " << i;
            EXPECT_EQ(list.at(static_cast<int>(i)), walked[i]) << "use " << use << ", object " << i;
            EXPECT_EQ(dynamic_cast<cObjectDInput*>(walked[i]) != nullptr,
                      types[i] == cObject::TYPE_DIGITAL_INPUT)
                << "use " << use << ", object " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ObjectFrameWalk,
    ::testing::Values(WalkCase{"OneUnknownCode", cycle({9}, 5000)},
                      WalkCase{"TwoCodesAlternating", cycle({9, 10}, 1000)},
                      WalkCase{"MoreCodesThanAreShared", cycle({11, 12, 13, 14, 15, 16, 17, 18, 19,
                                                                20, 21, 22, 23, 24, 25, 26, 27},
                                                               1000)},
                      WalkCase{"KnownBetweenUnknown", cycle({9, 2, 9, 10, 2, 2, -1}, 700)},
                      WalkCase{"ExtremeCodes", {INT32_MIN, INT32_MAX, 0, 1, 5, INT32_MIN}}),
    [](const ::testing::TestParamInfo<WalkCase>& info) { return info.param.name; });

class ObjectFrameMalformed : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(ObjectFrameMalformed, IsRejectedWithoutThrowingOrKeepingObjects) {
    const MalformedCase& test = GetParam();
    cObjectFrame frame;
    cObjectDInput leftover;
    frame.getList().add(&leftover);
    std::size_t consumed = 99;
    std::string why;
    EXPECT_EQ(frame.decode(test.bytes.data(), test.bytes.size(), consumed, &why), test.expected);
    if (test.expected == Result::MALFORMED) {
        EXPECT_EQ(consumed, test.bytes.size()) << "a reader must be able to skip the frame";
        EXPECT_EQ(frame.getList().numObjects(), 0);
        EXPECT_FALSE(why.empty());
    } else {
        EXPECT_EQ(consumed, 0U);
    }
}

// The client reads a payload as a stream while it parses; it must come to
// the same verdict as decoding the payload whole.
TEST_P(ObjectFrameMalformed, IsRejectedAlikeWhenStreamed) {
    const MalformedCase& test = GetParam();
    if (test.expected != Result::MALFORMED) {
        return;  // a stream is always one whole payload
    }
    cObjectFrame frame;
    std::istringstream payload(test.bytes.substr(cObjectFrame::HEADER_SIZE));
    std::string why;
    EXPECT_EQ(frame.decodePayload(payload, &why), Result::MALFORMED);
    EXPECT_EQ(frame.getList().numObjects(), 0);
    EXPECT_FALSE(why.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Frames, ObjectFrameMalformed,
    ::testing::Values(
        MalformedCase{"Empty", "", Result::INCOMPLETE},
        MalformedCase{"PartOfHeader", std::string("\0\0\0", 3), Result::INCOMPLETE},
        MalformedCase{"TruncatedPayload", header(10) + "{\"ver", Result::INCOMPLETE},
        MalformedCase{"LargestLengthWaitsForItsBytes", header(cObjectFrame::MAX_PAYLOAD) + "{",
                      Result::INCOMPLETE},
        MalformedCase{"OneByteOverTheLimit", header(cObjectFrame::MAX_PAYLOAD + 1),
                      Result::TOO_LARGE},
        MalformedCase{"HugeLength", header(0xFFFFFFFFU) + "{}", Result::TOO_LARGE},
        MalformedCase{"EmptyPayload", header(0), Result::MALFORMED},
        MalformedCase{"NotJson", frameOf("{oops"), Result::MALFORMED},
        MalformedCase{"TrailingBytes", document("[]", "} x"), Result::MALFORMED},
        MalformedCase{"NotAnObject", frameOf("[1,2]"), Result::MALFORMED},
        MalformedCase{"NoVersion", frameOf(R"({"msgtype":1,"objects":[]})"), Result::MALFORMED},
        MalformedCase{"OtherVersion", frameOf(R"({"version":2,"msgtype":1,"objects":[]})"),
                      Result::MALFORMED},
        MalformedCase{"MsgTypeTooBig", frameOf(R"({"version":1,"msgtype":256,"objects":[]})"),
                      Result::MALFORMED},
        MalformedCase{"MsgTypeAsText", frameOf(R"({"version":1,"msgtype":"1","objects":[]})"),
                      Result::MALFORMED},
        MalformedCase{"ObjectsNotAList", document("{}"), Result::MALFORMED},
        MalformedCase{"EntryNotAnObject", document("[3]"), Result::MALFORMED},
        MalformedCase{"EntryWithoutType", document(R"([{"label":"x"}])"), Result::MALFORMED},
        MalformedCase{"TypeAsFraction", document(R"([{"type":2.5}])"), Result::MALFORMED},
        MalformedCase{"StatusBeyondInt", document("[{" + DI + R"(,"status":2147483648}])"),
                      Result::MALFORMED},
        MalformedCase{"DefaultBelowInt",
                      document(R"([{"type":3,"label":"DO","serial":1,"port":3,"status":0,)"
                               R"("output":2,"default":-2147483649}])"),
                      Result::MALFORMED},
        MalformedCase{"NegativeSerial",
                      document(R"([{"type":2,"label":"a","serial":-1,"port":0,"status":0}])"),
                      Result::MALFORMED},
        MalformedCase{
            "SerialOver32Bits",
            document(R"([{"type":2,"label":"a","serial":4294967296,"port":0,"status":0}])"),
            Result::MALFORMED},
        MalformedCase{"LabelNotText",
                      document(R"([{"type":2,"label":5,"serial":1,"port":0,"status":0}])"),
                      Result::MALFORMED},
        MalformedCase{"OutputWithoutState",
                      document(R"([{"type":3,"label":"DO","serial":1,"port":3,"status":0,)"
                               R"("default":2}])"),
                      Result::MALFORMED},
        MalformedCase{"AnalogValueBoolean",
                      document(R"([{"type":4,"label":"AI","serial":1,"port":0,"status":0,)"
                               R"("value":true}])"),
                      Result::MALFORMED},
        // The JSON library holds no number beyond the double range.
        MalformedCase{"ReadingBeyondDouble",
                      document(R"([{"type":4,"label":"AI","serial":1,"port":0,"status":0,)"
                               R"("value":-1e400}])"),
                      Result::MALFORMED},
        MalformedCase{"GoodObjectThenBadOne",
                      document("[{" + DI + R"(,"status":1},{)" + DI + R"(,"status":1.5}])"),
                      Result::MALFORMED},
        MalformedCase{"AppliedNotBoolean", document("[]", R"(,"applied":1)"), Result::MALFORMED},
        MalformedCase{"DeepNesting", document(std::string(100000, '[') + std::string(100000, ']')),
                      Result::MALFORMED},
        // Nesting is refused where it is met, also in members nobody reads.
        MalformedCase{"NestedDeeperThanTheLayout", document("[]", R"(,"later":[[[[0]]]])"),
                      Result::MALFORMED},
        MalformedCase{"EntryMemberTooDeep", document("[{" + DI + R"(,"status":0,"x":[[0]]}])"),
                      Result::MALFORMED},
        MalformedCase{"NulInLabel",
                      document(R"([{"type":2,"label":"DI1\u0000X","serial":161,"port":0,)"
                               R"("status":1}])"),
                      Result::MALFORMED},
        MalformedCase{"NumberAsText", document("[]", R"(,"id":"7")"), Result::MALFORMED},
        MalformedCase{"NumberNegative", document("[]", R"(,"id":-1)"), Result::MALFORMED},
        MalformedCase{"NumberOver32Bits", document("[]", R"(,"id":4294967296)"), Result::MALFORMED},
        MalformedCase{"ObjectsReplacedByText",
                      document("[{" + DI + R"(,"status":1}])", R"(,"objects":"none")"),
                      Result::MALFORMED},
        MalformedCase{"MemberOfWrongKindInEntry",
                      document(R"([{"type":2,"label":["DI1"],"serial":1,"port":0,"status":0}])"),
                      Result::MALFORMED}),
    [](const ::testing::TestParamInfo<MalformedCase>& info) { return info.param.name; });

}  // namespace
