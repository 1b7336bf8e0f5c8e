#include "tools/velkan-param/paramcommand.h"

#include "channel/blowfish.h"
#include "channel/cp949convert.h"
#include "tools/longoptions/longoptions.h"
#include "channel/protectedtext.h"
#include "velkanversion.h"
#include "channel/wirekey.h"

#include <iostream>
#include <iterator>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

namespace velkan::param {

namespace {

// The key every part of the system shares for protected text.

constexpr std::string_view kUsage =
    R"(usage: velkan-param encode [--raw] [-n] [--] TEXT
       velkan-param decode [--raw] [-n] [--] BODY
       velkan-param --help | --version

Makes and reads the control's `param` values: text protected with the system's key
(Blowfish, then Base64) exactly as it travels in a request line.

  encode  prints the body of the request line for TEXT: the bytes SendLine sends, without
          its closing "\r\n". As on the wire, carriage returns are dropped and every line
          feed becomes "<br>", so decoding gives the text in that form. A TEXT with nothing
          left once carriage returns are dropped is refused: no request is ever sent for it.
  decode  prints the plain text of BODY: Base64-decoded, deciphered and cut at the first
          zero byte.

TEXT or BODY "-" reads all of standard input. encode takes every byte of it (a final line
feed too, which becomes "<br>"; use printf or echo -n to leave it out). decode drops one
final "\n" or "\r\n", which Base64 cannot hold; any other white space is bad input.

Options:
  --raw      pass bytes unchanged. Without it TEXT is read as UTF-8 and converted to CP949
             before encoding, and a decoded text is converted from CP949 to UTF-8.
  -n         leave out the newline that otherwise follows the output. With --raw, decode
             then writes exactly the bytes of the plain text.
  --         ends the options, for a TEXT that starts with "-".
  --help     prints this text.
  --version  prints the tool's version.
Options may also follow TEXT or BODY.

Exit status: 0 done; 1 bad input (invalid Base64 or empty BODY, a TEXT that CP949 cannot
hold, a decoded text that is not CP949 without --raw), with one line on standard error;
2 bad usage, with this text on standard error, after a line naming a wrong option.
)";

struct Options {
    std::string command;
    bool raw = false;
    bool noNewline = false;
    bool help = false;
    bool version = false;
    std::optional<std::string> operand;
};

enum OptionId : int { Raw = 256, Help, Version };

constexpr tools::LongOption kLongOptions[] = {
    {"raw", false, Raw},
    {"help", false, Help},
    {"version", false, Version},
};

// The options, or the reason the command line is wrong (empty when the usage says it all).
std::variant<Options, std::string> Parse(std::span<const std::string> args)
{
    auto parsed = tools::ParseLongOptions(args, "n", kLongOptions);
    if (auto* error = std::get_if<std::string>(&parsed)) {
        return std::move(*error);
    }
    const tools::ParsedArguments& given = std::get<tools::ParsedArguments>(parsed);
    Options options;
    for (const auto& [id, value] : given.options) {
        options.raw |= id == Raw;
        options.noNewline |= id == 'n';
        options.help |= id == Help;
        options.version |= id == Version;
    }
    if (options.help || options.version) {
        return options;
    }
    // The command comes first, before any option.
    const std::vector<std::string>& operands = given.operands;
    if (operands.size() != 2 || (operands[0] != "encode" && operands[0] != "decode") || args[0] != operands[0]) {
        return std::string();
    }
    options.command = operands[0];
    options.operand = operands[1];
    return options;
}

std::string ReadAll(std::istream& in)
{
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A body typed or piped from a terminal ends with a newline that is no part of the Base64.
std::string_view DropFinalNewline(std::string_view text)
{
    if (text.ends_with('\n')) {
        text.remove_suffix(1);
        if (text.ends_with('\r')) {
            text.remove_suffix(1);
        }
    }
    return text;
}

int Fail(std::ostream& err, std::string_view message)
{
    err << "velkan-param: " << message << '\n';
    return BadInput;
}

std::optional<std::string> Encode(channel::BlowFish& cipher, const Options& options,
                                  std::string_view text, std::ostream& err)
{
    std::string bytes(text);
    if (!options.raw) {
        std::optional<std::string> converted = cp949::FromUtf8Strict(text);
        if (!converted) {
            Fail(err, "TEXT is not UTF-8 or has a character CP949 cannot hold (--raw passes "
                      "bytes unchanged)");
            return std::nullopt;
        }
        bytes = std::move(*converted);
    }
    std::string body = channel::RequestLineBody(cipher, bytes);
    if (body.empty()) {
        Fail(err, "TEXT is empty once carriage returns are dropped; no request is sent for it");
        return std::nullopt;
    }
    return body;
}

std::optional<std::string> Decode(channel::BlowFish& cipher, const Options& options,
                                  std::string_view body, std::ostream& err)
{
    std::optional<std::string> plain = channel::DecryptFromBase64(cipher, body);
    if (!plain) {
        Fail(err, "BODY is not Base64 or is empty");
        return std::nullopt;
    }
    if (options.raw) {
        return plain;
    }
    std::optional<std::string> converted = cp949::ToUtf8Strict(*plain);
    if (!converted) {
        Fail(err, "the decoded text is not CP949 (--raw prints its bytes unchanged)");
    }
    return converted;
}

} // namespace

int RunParamCommand(std::span<const std::string> args, std::istream& in, std::ostream& out,
                    std::ostream& err)
{
    const std::variant<Options, std::string> parsed = Parse(args);
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        if (!error->empty()) {
            err << "velkan-param: " << *error << '\n';
        }
        err << kUsage;
        return BadUsage;
    }
    const Options* options = &std::get<Options>(parsed);
    if (options->help || options->version) {
        if (options->help) {
            out << kUsage;
        } else {
            out << "velkan-param " << version::kProjectVersion << '\n';
        }
        out.flush();
        return out ? Success : BadInput;
    }

    channel::BlowFish cipher;
    if (!cipher.Initialize(channel::kWireKey)) {
        return Fail(err, "the cipher could not be keyed");
    }

    const bool fromInput = *options->operand == "-";
    const std::string input = fromInput ? ReadAll(in) : *options->operand;
    if (fromInput && in.bad()) {
        return Fail(err, "could not read standard input");
    }

    const std::optional<std::string> result =
        options->command == "encode"
            ? Encode(cipher, *options, input, err)
            : Decode(cipher, *options, fromInput ? DropFinalNewline(input) : input, err);
    if (!result) {
        return BadInput;
    }

    out.write(result->data(), static_cast<std::streamsize>(result->size()));
    if (!options->noNewline) {
        out.put('\n');
    }
    out.flush();
    if (!out) {
        return Fail(err, "could not write the result");
    }
    return Success;
}

} // namespace velkan::param
