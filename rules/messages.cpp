#include "rules/messages.h"

#include "controls/picture.h"

namespace {

std::string pictureFailureMessage(const std::string& path, const std::string& reason)
{
    return "画像を読み込めませんでした。ゲームはそのまま続けられます。\n\n"
           "Zentrik could not load the picture\n"
        + path + ": " + reason + ".\n\nThe game goes on.";
}

std::string otherFailureMessage(const std::string& what)
{
    return "問題が起きましたが、ゲームはそのまま続けられます。\n\n"
           "Something went wrong: "
        + what + ".\n\nThe game goes on.";
}

} // namespace

std::string failureMessage(const std::exception& error)
{
    if (const auto* picture = dynamic_cast<const PictureLoadError*>(&error))
        return pictureFailureMessage(picture->path(), picture->reason());
    return otherFailureMessage(error.what());
}

std::string missingFolderMessage(std::span<const std::string> places)
{
    std::string list;
    for (const std::string& place : places)
        list += "\n" + place;
    return "画像のフォルダが見つかりません。ブロックを回すことと、次の文字を黄色にすることができません。\n\n"
           "Zentrik could not find its picture folder. It looked in:"
        + list
        + "\n\nUntil the folder is there, blocks cannot turn and the next letter cannot turn yellow. "
          "The game goes on.";
}

std::string startFailureMessage(const std::exception& error)
{
    return "ゲームを始められませんでした。\n\nZentrik cannot start: " + std::string(error.what()) + ".";
}
