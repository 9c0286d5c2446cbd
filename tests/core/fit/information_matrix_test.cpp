#include "vellmor/fit/information_matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <vector>

namespace vellmor::fit {
namespace {

GslMatrix MatrixOf(std::initializer_list<std::initializer_list<double>> rows) {
  GslMatrix m = NewMatrix(rows.size(), rows.begin()->size());
  std::size_t i = 0;
  for (const auto& row : rows) {
    std::size_t j = 0;
    for (const double v : row) gsl_matrix_set(m.get(), i, j++, v);
    ++i;
  }
  return m;
}

GslVector VectorOf(std::initializer_list<double> values) {
  GslVector v = NewVector(values.size());
  std::size_t i = 0;
  for (const double x : values) gsl_vector_set(v.get(), i++, x);
  return v;
}

void ExpectMatrix(const gsl_matrix& m, std::initializer_list<std::initializer_list<double>> want) {
  std::size_t i = 0;
  for (const auto& row : want) {
    std::size_t j = 0;
    for (const double v : row) {
      EXPECT_NEAR(gsl_matrix_get(&m, i, j), v, 1e-14 * std::fabs(v)) << i << "," << j;
      ++j;
    }
    ++i;
  }
}

// J = [1 2; 3 4; 5 6]: JᵀJ = [35 44; 44 56], of determinant 24, whose inverse is
// [56 −44; −44 35] / 24, whole (both triangles), as the correlation reads it.
TEST(InformationMatrix, CovarianceIsTheInverseOfJTransposeJ) {
  const GslMatrix jacobian = MatrixOf({{1, 2}, {3, 4}, {5, 6}});
  const GslMatrix normal = NormalMatrix(*jacobian);
  EXPECT_EQ(gsl_matrix_get(normal.get(), 0, 0), 35.0);
  EXPECT_EQ(gsl_matrix_get(normal.get(), 1, 0), 44.0);
  EXPECT_EQ(gsl_matrix_get(normal.get(), 1, 1), 56.0);
  const GslMatrix inverse = InverseOf(*normal);
  ASSERT_NE(inverse, nullptr);
  ExpectMatrix(*inverse, {{56.0 / 24, -44.0 / 24}, {-44.0 / 24, 35.0 / 24}});
}

// Two proportional columns (a constant the data cannot tell from another) and an indefinite
// matrix have no covariance.
TEST(InformationMatrix, SingularOrIndefiniteHasNoInverse) {
  const GslMatrix proportional = MatrixOf({{1, 2}, {2, 4}, {3, 6}});
  EXPECT_EQ(InverseOf(*NormalMatrix(*proportional)), nullptr);
  EXPECT_EQ(InverseOf(*MatrixOf({{1, 0}, {2, 1}})), nullptr);  // [1 2; 2 1]: eigenvalue −1
}

// M = [2 1; 1 3], g = (1, −2): gᵀMg = 2 − 4 + 12 = 10; M + ggᵀ = [3 −1; −1 7], of determinant
// 20, whose inverse is [7 1; 1 3] / 20. Only the lower triangle holds M.
TEST(InformationMatrix, QuadraticFormAndRankOneUpdate) {
  const GslMatrix m = MatrixOf({{2, 0}, {1, 3}});
  const GslVector g = VectorOf({1, -2});
  EXPECT_NEAR(QuadraticForm(*m, *g), 10.0, 1e-14);
  AddOuterProduct(*m, *g);
  const GslMatrix inverse = InverseOf(*m);
  ASSERT_NE(inverse, nullptr);
  ExpectMatrix(*inverse, {{7.0 / 20, 1.0 / 20}, {1.0 / 20, 3.0 / 20}});
}

// [3 0; 0 4; 0 0] stretches the second axis by 4 and the first by 3: the smallest singular
// value's right vector is the first axis.
TEST(InformationMatrix, SingularValuesLargestFirstWithTheSmallestsDirection) {
  const TSingularValues sv = SingularValues(*MatrixOf({{3, 0}, {0, 4}, {0, 0}}));
  ASSERT_EQ(sv.Values.size(), 2u);
  EXPECT_NEAR(sv.Values[0], 4.0, 1e-14);
  EXPECT_NEAR(sv.Values[1], 3.0, 1e-14);
  EXPECT_NEAR(std::fabs(sv.Smallest[0]), 1.0, 1e-14);
  EXPECT_NEAR(sv.Smallest[1], 0.0, 1e-14);
}

}  // namespace
}  // namespace vellmor::fit
