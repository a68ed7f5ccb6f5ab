#include "store/Engine.h"

namespace horunea {

QString Engine::resolvedName(const QString& name) const
{
    auto it = m_names.constFind(foldName(name));
    if (it == m_names.constEnd())
        fail(QStringLiteral("「%1」という名前はありません。").arg(name));
    return it.value();
}

void Engine::savepoint(const QString& name)
{
    execRaw(u"SAVEPOINT "_qs + name);
}

void Engine::fail(const QString& what, const QString& sql)
{
    throw Failure(QStringLiteral("データベースの処理に失敗しました: %1").arg(what), sql);
}

void Engine::failParameterCount(const QString& sql)
{
    fail(QStringLiteral("値の数が合いません。"), sql);
}

} // namespace horunea
