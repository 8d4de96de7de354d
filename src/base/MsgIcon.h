#pragma once
// The icon of a message box. The field rules choose one for their refusals, so it lives
// below every layer that shows a message.

enum class MsgIcon { None, Information, Warning, Error, Question };
