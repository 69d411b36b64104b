#include "platform/uikit/LayoutSolver.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace ios {

bool layoutAttributeAxis(NSLayoutAttribute attribute, NSLayoutConstraintAxis* axis) {
    switch (attribute) {
    case NSLayoutAttribute::Left:
    case NSLayoutAttribute::Right:
    case NSLayoutAttribute::Leading:
    case NSLayoutAttribute::Trailing:
    case NSLayoutAttribute::Width:
    case NSLayoutAttribute::CenterX: *axis = NSLayoutConstraintAxis::Horizontal; return true;
    case NSLayoutAttribute::Top:
    case NSLayoutAttribute::Bottom:
    case NSLayoutAttribute::Height:
    case NSLayoutAttribute::CenterY: *axis = NSLayoutConstraintAxis::Vertical; return true;
    case NSLayoutAttribute::NotAnAttribute: break;
    }
    return false;
}

bool layoutAttributeIsDimension(NSLayoutAttribute attribute) {
    return attribute == NSLayoutAttribute::Width || attribute == NSLayoutAttribute::Height;
}

const char* layoutAttributeName(NSLayoutAttribute attribute) {
    switch (attribute) {
    case NSLayoutAttribute::Left: return "left";
    case NSLayoutAttribute::Right: return "right";
    case NSLayoutAttribute::Top: return "top";
    case NSLayoutAttribute::Bottom: return "bottom";
    case NSLayoutAttribute::Leading: return "leading";
    case NSLayoutAttribute::Trailing: return "trailing";
    case NSLayoutAttribute::Width: return "width";
    case NSLayoutAttribute::Height: return "height";
    case NSLayoutAttribute::CenterX: return "centerX";
    case NSLayoutAttribute::CenterY: return "centerY";
    case NSLayoutAttribute::NotAnAttribute: break;
    }
    return "notAnAttribute";
}

namespace {

// An attribute as a combination of an item's minimum edge and size on its axis.
void attributeCoefficients(NSLayoutAttribute attribute, double* onMin, double* onSize) {
    switch (attribute) {
    case NSLayoutAttribute::Left:
    case NSLayoutAttribute::Leading:
    case NSLayoutAttribute::Top: *onMin = 1, *onSize = 0; return;
    case NSLayoutAttribute::Right:
    case NSLayoutAttribute::Trailing:
    case NSLayoutAttribute::Bottom: *onMin = 1, *onSize = 1; return;
    case NSLayoutAttribute::CenterX:
    case NSLayoutAttribute::CenterY: *onMin = 1, *onSize = 0.5; return;
    case NSLayoutAttribute::Width:
    case NSLayoutAttribute::Height: *onMin = 0, *onSize = 1; return;
    case NSLayoutAttribute::NotAnAttribute: break;
    }
    *onMin = 0, *onSize = 0;
}

int minVar(int item) { return 2 * item; }
int sizeVar(int item) { return 2 * item + 1; }

double frameMin(const CGRect& r, NSLayoutConstraintAxis axis) {
    CGRect s = CGRectStandardize(r);
    return axis == NSLayoutConstraintAxis::Horizontal ? s.origin.x : s.origin.y;
}
double frameSize(const CGRect& r, NSLayoutConstraintAxis axis) {
    CGRect s = CGRectStandardize(r);
    return axis == NSLayoutConstraintAxis::Horizontal ? s.size.width : s.size.height;
}

// One linear equation: Σ coef × var = rhs, with at most four distinct variables.
struct Row {
    int var[4];
    double coef[4];
    int terms = 0;
    double rhs = 0;
    int constraint = -1;  // the constraint it came from; -1 for an item's own frame
    int unknown = 0;
    bool used = false;  // solved for its last unknown

    void add(int v, double c) {
        if (c == 0) return;
        for (int i = 0; i < terms; ++i) {
            if (var[i] == v) {
                coef[i] += c;
                if (std::abs(coef[i]) < 1e-12) {
                    var[i] = var[terms - 1], coef[i] = coef[terms - 1];
                    --terms;
                }
                return;
            }
        }
        var[terms] = v, coef[terms] = c;
        ++terms;
    }
};

class AxisSolve {
public:
    AxisSolve(const std::vector<LayoutSolver::Item>& items, const std::vector<LayoutSolver::Constraint>& constraints,
              NSLayoutConstraintAxis axis)
        : m_items(items), m_axis(axis), m_value(items.size() * 2, 0), m_known(items.size() * 2, 0),
          m_rowsOfVar(items.size() * 2) {
        buildFrameRows();
        for (std::size_t c = 0; c < constraints.size(); ++c) buildConstraintRow(constraints[c], static_cast<int>(c));
        for (std::size_t r = 0; r < m_rows.size(); ++r) {
            Row& row = m_rows[r];
            row.unknown = row.terms;
            for (int i = 0; i < row.terms; ++i) m_rowsOfVar[row.var[i]].push_back(static_cast<int>(r));
            if (row.terms == 1) m_queue.push_back(static_cast<int>(r));
            if (row.terms == 0 && std::abs(row.rhs) > LayoutSolver::kTolerance)
                m_conflicts.push_back(static_cast<int>(r));
        }
    }

    void run() {
        propagate();
        // Intrinsic sizes fill only what the constraints leave open.
        for (std::size_t i = 0; i < m_items.size(); ++i) {
            const auto& item = m_items[i];
            double intrinsic =
                m_axis == NSLayoutConstraintAxis::Horizontal ? item.intrinsicSize.width : item.intrinsicSize.height;
            int v = sizeVar(static_cast<int>(i));
            if (item.constrained && !m_known[v] && intrinsic >= 0) {
                setVar(v, intrinsic);
                propagate();
            }
        }
    }

    // Groups, faults and frames.
    void finish(LayoutSolver::Result& result) {
        const int n = static_cast<int>(m_items.size());
        std::vector<int> constant(n, -1);
        for (int i = 0; i < n; ++i) isConstant(i, constant);
        std::vector<int> group(n);
        std::iota(group.begin(), group.end(), 0);
        auto find = [&](int i) {
            while (group[i] != i) i = group[i] = group[group[i]];
            return i;
        };
        std::vector<int> rowItems;
        for (const Row& row : m_rows) {
            itemsOf(row, constant, rowItems);
            for (std::size_t k = 1; k < rowItems.size(); ++k) group[find(rowItems[k])] = find(rowItems[0]);
        }

        // The first fault of each group: a conflict wins over an ambiguity.
        std::vector<int> faultRow(n, -1);
        std::vector<char> faulty(n, 0);
        std::vector<LayoutSolver::Problem> loose;
        for (int r : m_conflicts) {
            itemsOf(m_rows[r], constant, rowItems);
            if (rowItems.empty()) {
                LayoutSolver::Problem p;
                p.axis = m_axis;
                p.kind = LayoutSolver::ProblemKind::Conflict;
                p.constraint = m_rows[r].constraint;
                culpritsOf(m_rows[r], p.culprits);
                loose.push_back(std::move(p));
                continue;
            }
            int g = find(rowItems[0]);
            if (!faulty[g]) faulty[g] = 1, faultRow[g] = r;
        }
        std::vector<std::vector<int>> open(n);
        for (int i = 0; i < n; ++i) {
            if (m_known[minVar(i)] && m_known[sizeVar(i)]) continue;
            int g = find(i);
            faulty[g] = 1;
            if (m_items[i].constrained) open[g].push_back(i);
        }

        std::vector<char> placed(n, 0);
        std::vector<std::vector<int>> kept(n);
        for (int i = 0; i < n; ++i) {
            if (!m_items[i].constrained) continue;
            int g = find(i);
            if (faulty[g])
                kept[g].push_back(i);
            else
                placed[i] = 1;
        }
        for (int g = 0; g < n; ++g) {
            if (!faulty[g] || find(g) != g) continue;
            LayoutSolver::Problem p;
            p.axis = m_axis;
            if (faultRow[g] >= 0) {
                p.kind = LayoutSolver::ProblemKind::Conflict;
                p.constraint = m_rows[faultRow[g]].constraint;
                culpritsOf(m_rows[faultRow[g]], p.culprits);
            } else {
                p.kind = LayoutSolver::ProblemKind::Ambiguous;
                p.culprits = open[g];
            }
            p.kept = kept[g];
            result.problems.push_back(std::move(p));
        }
        for (auto& p : loose) result.problems.push_back(std::move(p));

        // Frames: a placed item's new minimum is measured from where its parent really is.
        std::vector<double> actualMin(n, 0);
        std::vector<char> done(n, 0);
        auto& placedFlags =
            m_axis == NSLayoutConstraintAxis::Horizontal ? result.placedHorizontally : result.placedVertically;
        for (int i = 0; i < n; ++i) {
            computeActual(i, placed, actualMin, done);
            placedFlags[i] = placed[i] != 0;
            if (!placed[i]) continue;
            int parent = m_items[i].parent;
            double origin = m_value[minVar(i)] - (parent >= 0 ? actualMin[parent] : 0);
            double size = m_value[sizeVar(i)];
            CGRect& f = result.frames[i];
            if (m_axis == NSLayoutConstraintAxis::Horizontal)
                f.origin.x = origin, f.size.width = size;
            else
                f.origin.y = origin, f.size.height = size;
        }
    }

private:
    void buildFrameRows() {
        for (std::size_t i = 0; i < m_items.size(); ++i) {
            const auto& item = m_items[i];
            int index = static_cast<int>(i);
            if (item.parent < 0) {
                Row min;
                min.add(minVar(index), 1);
                m_rows.push_back(min);
            } else if (!item.constrained) {
                Row min;
                min.add(minVar(index), 1);
                min.add(minVar(item.parent), -1);
                min.rhs = frameMin(item.frame, m_axis);
                m_rows.push_back(min);
            } else {
                continue;
            }
            Row size;
            size.add(sizeVar(index), 1);
            size.rhs = frameSize(item.frame, m_axis);
            m_rows.push_back(size);
        }
    }

    void buildConstraintRow(const LayoutSolver::Constraint& c, int index) {
        NSLayoutConstraintAxis axis;
        if (!layoutAttributeAxis(c.firstAttribute, &axis) || axis != m_axis) return;
        Row row;
        row.constraint = index;
        double a, b;
        attributeCoefficients(c.firstAttribute, &a, &b);
        row.add(minVar(c.first), a);
        row.add(sizeVar(c.first), b);
        if (c.second >= 0) {
            attributeCoefficients(c.secondAttribute, &a, &b);
            row.add(minVar(c.second), -c.multiplier * a);
            row.add(sizeVar(c.second), -c.multiplier * b);
        }
        row.rhs = c.constant;
        m_rows.push_back(row);
    }

    void setVar(int v, double value) {
        m_known[v] = 1;
        m_value[v] = value;
        for (int r : m_rowsOfVar[v]) {
            Row& row = m_rows[r];
            --row.unknown;
            if (row.unknown == 1)
                m_queue.push_back(r);
            else if (row.unknown == 0 && !row.used && !holds(row))
                m_conflicts.push_back(r);
        }
    }

    bool holds(const Row& row) const {
        double sum = 0;
        for (int i = 0; i < row.terms; ++i) sum += row.coef[i] * m_value[row.var[i]];
        return std::abs(sum - row.rhs) <= LayoutSolver::kTolerance;
    }

    void propagate() {
        while (!m_queue.empty()) {
            int r = m_queue.back();
            m_queue.pop_back();
            Row& row = m_rows[r];
            if (row.used || row.unknown != 1) continue;
            int open = -1;
            double rest = row.rhs, coef = 0;
            for (int i = 0; i < row.terms; ++i) {
                if (m_known[row.var[i]])
                    rest -= row.coef[i] * m_value[row.var[i]];
                else
                    open = row.var[i], coef = row.coef[i];
            }
            row.used = true;
            setVar(open, rest / coef);
        }
    }

    // Items whose frame follows from fixed frames alone: the root and fixed items under it.
    bool isConstant(int i, std::vector<int>& memo) const {
        if (memo[i] >= 0) return memo[i];
        const auto& item = m_items[i];
        bool c = item.parent < 0 || (!item.constrained && isConstant(item.parent, memo));
        memo[i] = c;
        return c;
    }

    void itemsOf(const Row& row, const std::vector<int>& constant, std::vector<int>& out) const {
        out.clear();
        for (int k = 0; k < row.terms; ++k) {
            int item = row.var[k] / 2;
            if (!constant[item] && std::find(out.begin(), out.end(), item) == out.end()) out.push_back(item);
        }
    }

    // The items of a failing equation: both items of a constraint, or the item whose own frame it is.
    void culpritsOf(const Row& row, std::vector<int>& out) const {
        out.clear();
        if (row.constraint < 0) {
            if (row.terms) out.push_back(row.var[0] / 2);
            return;
        }
        for (int k = 0; k < row.terms; ++k) {
            int item = row.var[k] / 2;
            if (std::find(out.begin(), out.end(), item) == out.end()) out.push_back(item);
        }
        std::sort(out.begin(), out.end());
    }

    void computeActual(int i, const std::vector<char>& placed, std::vector<double>& actual,
                       std::vector<char>& done) const {
        if (done[i]) return;
        done[i] = 1;  // set first: a malformed parent cycle ends here
        const auto& item = m_items[i];
        if (placed[i]) {
            actual[i] = m_value[minVar(i)];
        } else if (item.parent < 0) {
            actual[i] = 0;
        } else {
            computeActual(item.parent, placed, actual, done);
            actual[i] = actual[item.parent] + frameMin(item.frame, m_axis);
        }
    }

    const std::vector<LayoutSolver::Item>& m_items;
    NSLayoutConstraintAxis m_axis;
    std::vector<double> m_value;
    std::vector<char> m_known;
    std::vector<Row> m_rows;
    std::vector<std::vector<int>> m_rowsOfVar;
    std::vector<int> m_queue;
    std::vector<int> m_conflicts;
};

}  // namespace

int LayoutSolver::addItem(const Item& item) {
    m_items.push_back(item);
    if (item.parent >= static_cast<int>(m_items.size()) - 1) m_items.back().parent = -1;
    return static_cast<int>(m_items.size()) - 1;
}

bool LayoutSolver::checkShape(NSLayoutAttribute first, bool hasSecond, NSLayoutAttribute second, std::string* reason) {
    auto refuse = [&](const char* why) {
        if (reason) *reason = why;
        return false;
    };
    NSLayoutConstraintAxis firstAxis, secondAxis;
    if (!layoutAttributeAxis(first, &firstAxis)) return refuse("its first attribute is not an attribute");
    if (!hasSecond) {
        if (!layoutAttributeIsDimension(first))
            return refuse("a position cannot equal a constant; it needs a second anchor");
        return true;
    }
    if (!layoutAttributeAxis(second, &secondAxis)) return refuse("its second attribute is not an attribute");
    if (firstAxis != secondAxis) return refuse("its attributes lie on different axes");
    if (layoutAttributeIsDimension(first) != layoutAttributeIsDimension(second))
        return refuse("a size cannot be related to a position");
    return true;
}

bool LayoutSolver::addConstraint(const Constraint& c, std::string* reason) {
    const int n = itemCount();
    if (c.first < 0 || c.first >= n || c.second >= n) {
        if (reason) *reason = "one of its items is not part of the layout";
        return false;
    }
    if (!checkShape(c.firstAttribute, c.second >= 0, c.secondAttribute, reason)) return false;
    if (!std::isfinite(c.constant) || !std::isfinite(c.multiplier)) {
        if (reason) *reason = "its constant or multiplier is not finite";
        return false;
    }
    m_constraints.push_back(c);
    return true;
}

LayoutSolver::Result LayoutSolver::solve() const {
    Result result;
    const std::size_t n = m_items.size();
    result.frames.reserve(n);
    for (const auto& item : m_items) result.frames.push_back(CGRectStandardize(item.frame));
    result.placedHorizontally.assign(n, false);
    result.placedVertically.assign(n, false);
    for (auto axis : {NSLayoutConstraintAxis::Horizontal, NSLayoutConstraintAxis::Vertical}) {
        AxisSolve solve(m_items, m_constraints, axis);
        solve.run();
        solve.finish(result);
    }
    return result;
}

namespace {
std::string formatNumber(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", v);
    return buffer;
}

std::string joinNames(const std::vector<int>& items, const std::function<std::string(int)>& nameItem) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) out += ", ";
        out += nameItem(items[i]);
    }
    return out;
}
}  // namespace

std::string LayoutSolver::describeConstraint(int index, const std::function<std::string(int)>& nameItem) const {
    const Constraint& c = m_constraints[index];
    std::string out = nameItem(c.first) + "." + layoutAttributeName(c.firstAttribute) + " == ";
    if (c.second < 0) return out + formatNumber(c.constant);
    if (c.multiplier != 1) out += formatNumber(c.multiplier) + " * ";
    out += nameItem(c.second) + "." + layoutAttributeName(c.secondAttribute);
    if (c.constant > 0)
        out += " + " + formatNumber(c.constant);
    else if (c.constant < 0)
        out += " - " + formatNumber(-c.constant);
    return out;
}

std::string LayoutSolver::describe(const Problem& p, const std::function<std::string(int)>& nameItem) const {
    const char* axis = p.axis == NSLayoutConstraintAxis::Horizontal ? "horizontal" : "vertical";
    std::string line;
    if (p.kind == ProblemKind::Conflict) {
        line = std::string("Unable to satisfy the ") + axis + " constraints: ";
        if (p.constraint >= 0)
            line += describeConstraint(p.constraint, nameItem);
        else
            line += "the fixed frame of " + joinNames(p.culprits, nameItem);
        line += " conflicts with the others";
    } else {
        line = std::string("Ambiguous ") + axis + " layout: the constraints leave the position or size of " +
               joinNames(p.culprits, nameItem) + " open";
    }
    if (p.kept.empty())
        line += ".";
    else
        line += "; keeping the last frames of " + joinNames(p.kept, nameItem) + ".";
    return line;
}

}  // namespace ios
