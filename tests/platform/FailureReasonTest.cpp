// The reasons a listener is given for a failed start, told from error codes alone. Tests of
// what cannot be staged locally without a name lookup leaving the machine (an unknown host)
// live here; the others also run against real servers in the player's integration tests.

#include "platform/media/FailureReason.h"

#include <curl/curl.h>
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>

using platform::media::FailureFromFetch;
using platform::media::FailureFromStreamError;
using platform::media::FailureKind;

namespace {

std::optional<FailureKind> FromError(GQuark domain, int code, guint httpStatus = 0) {
    std::unique_ptr<GError, decltype(&g_error_free)> error(
        g_error_new_literal(domain, code, "any text: only the code counts"), g_error_free);
    std::unique_ptr<GstStructure, decltype(&gst_structure_free)> details(
        gst_structure_new_empty("details"), gst_structure_free);
    if (httpStatus != 0)
        gst_structure_set(details.get(), "http-status-code", G_TYPE_UINT, httpStatus, nullptr);
    return FailureFromStreamError(error.get(), httpStatus != 0 ? details.get() : nullptr);
}

}  // namespace

TEST(FailureReason, HttpSourceErrors) {
    // An unknown host and an HTTP 404 share one code; only the 404 carries an HTTP status.
    EXPECT_EQ(FromError(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_FOUND),
              FailureKind::AddressNotFound);
    EXPECT_EQ(FromError(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_FOUND, 2),
              FailureKind::AddressNotFound)
        << "libsoup 2's transport code for a failed name lookup";
    EXPECT_EQ(FromError(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_FOUND, 404),
              FailureKind::StationNotFound);
    EXPECT_EQ(FromError(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_OPEN_READ, 410),
              FailureKind::StationNotFound);
    EXPECT_EQ(FromError(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_OPEN_READ), FailureKind::NoAnswer);
    EXPECT_EQ(FromError(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ), FailureKind::NoAnswer);
    // The server answered, only not with the station: no reason is better than a wrong one.
    EXPECT_EQ(FromError(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_OPEN_READ, 503), std::nullopt);
    EXPECT_EQ(FromError(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_AUTHORIZED, 401), std::nullopt);
}

TEST(FailureReason, ContentThatIsNotAudio) {
    EXPECT_EQ(FromError(GST_CORE_ERROR, GST_CORE_ERROR_MISSING_PLUGIN), FailureKind::NotAudio);
    for (int code : {GST_STREAM_ERROR_TYPE_NOT_FOUND, GST_STREAM_ERROR_WRONG_TYPE,
                     GST_STREAM_ERROR_CODEC_NOT_FOUND, GST_STREAM_ERROR_DECODE,
                     GST_STREAM_ERROR_DEMUX, GST_STREAM_ERROR_FORMAT})
        EXPECT_EQ(FromError(GST_STREAM_ERROR, code), FailureKind::NotAudio) << code;
    // "Streaming stopped" follows any source failure and says nothing of its cause.
    EXPECT_EQ(FromError(GST_STREAM_ERROR, GST_STREAM_ERROR_FAILED), std::nullopt);
    EXPECT_EQ(FromError(GST_CORE_ERROR, GST_CORE_ERROR_STATE_CHANGE), std::nullopt);
    EXPECT_EQ(FailureFromStreamError(nullptr, nullptr), std::nullopt);
}

TEST(FailureReason, PlaylistReads) {
    EXPECT_EQ(FailureFromFetch(CURLE_COULDNT_RESOLVE_HOST, 0), FailureKind::AddressNotFound);
    EXPECT_EQ(FailureFromFetch(CURLE_COULDNT_CONNECT, 0), FailureKind::NoAnswer);
    EXPECT_EQ(FailureFromFetch(CURLE_OPERATION_TIMEDOUT, 0), FailureKind::NoAnswer);
    EXPECT_EQ(FailureFromFetch(CURLE_GOT_NOTHING, 0), FailureKind::NoAnswer);
    EXPECT_EQ(FailureFromFetch(CURLE_OK, 404), FailureKind::StationNotFound);
    EXPECT_EQ(FailureFromFetch(CURLE_OK, 410), FailureKind::StationNotFound);
    EXPECT_EQ(FailureFromFetch(CURLE_OK, 500), std::nullopt);
    EXPECT_EQ(FailureFromFetch(CURLE_ABORTED_BY_CALLBACK, 0), std::nullopt) << "stopped by us";
}
